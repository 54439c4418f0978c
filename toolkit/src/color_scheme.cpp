// The colour schemes: which palette the application has, how the system
// colours and the program's own colours are drawn in it, and putting a new
// scheme into effect in every widget at once.
#include "toolkit/color_scheme.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "control_data.h"
#include "toolkit/forms.h"

namespace {

TColorScheme g_scheme = csClassic;
// The desktop's palette, taken before the dark one first replaces it.
std::optional<QPalette> g_desktopPalette;

// Where a widget keeps the colours the program gave it, so that a new
// scheme can draw them afresh.
constexpr char kBackColorProperty[] = "toolkitBackColor";
constexpr char kBackRoleProperty[] = "toolkitBackRole";
constexpr char kTextColorProperty[] = "toolkitTextColor";

constexpr double kReadableContrast = 4.5;

QColor Rgb(unsigned value) { return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF); }

QPalette DarkPalette() {
  QPalette palette;
  const QColor text = Rgb(0xE6E6E6);
  const QColor greyedText = Rgb(0x8A8A8A);
  palette.setColor(QPalette::Window, Rgb(0x2B2B2B));
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, Rgb(0x1E1E1E));
  palette.setColor(QPalette::AlternateBase, Rgb(0x262626));
  palette.setColor(QPalette::ToolTipBase, Rgb(0x3A3A3A));
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::PlaceholderText, greyedText);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, Rgb(0x353535));
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::BrightText, Rgb(0xFF6E6E));
  palette.setColor(QPalette::Light, Rgb(0x4A4A4A));
  palette.setColor(QPalette::Midlight, Rgb(0x3E3E3E));
  palette.setColor(QPalette::Mid, Rgb(0x303030));
  palette.setColor(QPalette::Dark, Rgb(0x202020));
  palette.setColor(QPalette::Shadow, Rgb(0x101010));
  palette.setColor(QPalette::Highlight, Rgb(0x2F65CA));
  palette.setColor(QPalette::HighlightedText, Rgb(0xFFFFFF));
  palette.setColor(QPalette::Link, Rgb(0x6CB4FF));
  palette.setColor(QPalette::LinkVisited, Rgb(0xC58AF9));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, greyedText);
  palette.setColor(QPalette::Disabled, QPalette::Highlight, Rgb(0x505050));
  return palette;
}

QPalette DesktopPalette() { return g_desktopPalette ? *g_desktopPalette : QApplication::palette(); }

TColor FromQColor(const QColor& color) {
  return static_cast<TColor>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

QColor Mixed(const QColor& a, const QColor& b, double share) {
  const auto mix = [share](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * share)); };
  return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

double Luminance(TColor color) {
  const auto bgr = static_cast<uint32_t>(ColorToRGB(color));
  const auto channel = [](uint32_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(bgr & 0xFF) + 0.7152 * channel((bgr >> 8) & 0xFF) + 0.0722 * channel((bgr >> 16) & 0xFF);
}

bool IsSystemColor(TColor color) { return (static_cast<uint32_t>(color) & 0xFF000000u) == 0x80000000u; }

void PaintText(QWidget* widget, TColor text) {
  QPalette palette = widget->palette();
  const auto paint = [&](QPalette::ColorRole role, QPalette::ColorRole under) {
    palette.setColor(role, ToQColor(TextColorInEffect(text, FromQColor(palette.color(under)))));
  };
  paint(QPalette::WindowText, QPalette::Window);
  paint(QPalette::Text, QPalette::Base);
  paint(QPalette::ButtonText, QPalette::Button);
  widget->setPalette(palette);
}

void PaintBack(QWidget* widget, QPalette::ColorRole role, TColor back) {
  QPalette palette = widget->palette();
  palette.setColor(role, ToQColor(BackColorInEffect(back)));
  widget->setPalette(palette);
}

}  // namespace

bool SchemeSystemColor(unsigned index, TColor& color) {
  if (g_scheme == csClassic) return false;
  // The palette's role for each system colour, by its index; the caption
  // gradients, which the main window and its status bar are painted in,
  // are the window colour tinted with the highlight.
  constexpr int kTintedWindow = -1, kFaintlyTintedWindow = -2, kGreyedText = -3;
  static constexpr int kRoles[] = {
      QPalette::Button,           // scroll bar
      QPalette::Window,           // background
      QPalette::Highlight,        // active caption
      QPalette::Window,           // inactive caption
      QPalette::Window,           // menu
      QPalette::Base,             // window
      QPalette::Mid,              // window frame
      QPalette::WindowText,       // menu text
      QPalette::Text,             // window text
      QPalette::HighlightedText,  // caption text
      QPalette::Mid,              // active border
      QPalette::Midlight,         // inactive border
      QPalette::Dark,             // application workspace
      QPalette::Highlight,        // highlight
      QPalette::HighlightedText,  // highlight text
      QPalette::Button,           // button face
      QPalette::Mid,              // button shadow
      kGreyedText,                // grey text
      QPalette::ButtonText,       // button text
      QPalette::WindowText,       // inactive caption text
      QPalette::Light,            // button highlight
      QPalette::Shadow,           // 3-D dark shadow
      QPalette::Midlight,         // 3-D light
      QPalette::ToolTipText,      // info text
      QPalette::ToolTipBase,      // info background
      QPalette::Mid,              // (unused slot)
      QPalette::Link,             // hot light
      kTintedWindow,              // gradient active caption
      kFaintlyTintedWindow,       // gradient inactive caption
      QPalette::Highlight,        // menu highlight
      QPalette::Window,           // menu bar
  };
  if (index >= std::size(kRoles)) return false;
  const QPalette palette = QApplication::palette();
  const QColor window = palette.color(QPalette::Active, QPalette::Window);
  const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
  QColor chosen;
  switch (kRoles[index]) {
    case kTintedWindow:
      chosen = Mixed(window, highlight, 0.2);
      break;
    case kFaintlyTintedWindow:
      chosen = Mixed(window, highlight, 0.1);
      break;
    case kGreyedText:
      chosen = palette.color(QPalette::Disabled, QPalette::Text);
      break;
    default:
      chosen = palette.color(QPalette::Active, static_cast<QPalette::ColorRole>(kRoles[index]));
  }
  color = FromQColor(chosen);
  return true;
}

namespace {

// The colours the program gave its widgets, drawn as the scheme draws them:
// backgrounds first, as text is made readable on them.
void RepaintGivenColors() {
  const QWidgetList widgets = QApplication::allWidgets();
  for (QWidget* widget : widgets) {
    const QVariant back = widget->property(kBackColorProperty);
    if (back.isValid())
      PaintBack(widget, static_cast<QPalette::ColorRole>(widget->property(kBackRoleProperty).toInt()),
                static_cast<TColor>(back.toInt()));
  }
  for (QWidget* widget : widgets) {
    const QVariant text = widget->property(kTextColorProperty);
    if (text.isValid()) PaintText(widget, static_cast<TColor>(text.toInt()));
    widget->update();
  }
}

// In the desktop scheme the application's palette is the platform's with
// nothing set over it, so Qt changes it when the desktop's theme changes;
// the colours the program gave are then drawn anew for it (a light theme
// turned dark turns a closed panel's silver dark too).
class DesktopThemeWatch : public QObject {
 public:
  bool settingPalette = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp && !settingPalette &&
        g_scheme == csDesktop)
      RepaintGivenColors();
    return false;
  }
};

DesktopThemeWatch& ThemeWatch() {
  static DesktopThemeWatch* watch = [] {
    auto* made = new DesktopThemeWatch;
    made->setParent(qApp);
    qApp->installEventFilter(made);
    return made;
  }();
  return *watch;
}

}  // namespace

void SetColorScheme(TColorScheme Scheme) {
  Application->Initialize();
  if (!g_desktopPalette) g_desktopPalette = QApplication::palette();
  DesktopThemeWatch& watch = ThemeWatch();
  g_scheme = Scheme;
  watch.settingPalette = true;
  // The classic scheme keeps the palette the desktop had when the program
  // started; the desktop one takes the platform's from now on.
  QApplication::setPalette(Scheme == csDark ? DarkPalette() : Scheme == csDesktop ? QPalette() : DesktopPalette());
  watch.settingPalette = false;
  RepaintGivenColors();
}

TColorScheme GetColorScheme() { return g_scheme; }

bool DarkColors() {
  if (g_scheme == csClassic) return false;
  const QPalette palette = QApplication::palette();
  return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

double ContrastRatio(TColor A, TColor B) {
  const double a = Luminance(A), b = Luminance(B);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

TColor BackColorInEffect(TColor Back) {
  if (IsSystemColor(Back) || !DarkColors()) return ColorToRGB(Back);
  // The lightness turned over, the hue and saturation kept.
  QColor color = ToQColor(Back).toHsl();
  color.setHsl(color.hslHue(), color.hslSaturation(), 255 - color.lightness());
  return FromQColor(color.toRgb());
}

TColor TextColorInEffect(TColor Text, TColor Back) {
  const TColor text = ColorToRGB(Text);
  if (!DarkColors() || ContrastRatio(text, Back) >= kReadableContrast) return text;
  // Lighter on a dark background, darker on a light one, in small steps,
  // keeping the hue: the first that reads is nearest to the colour asked.
  const bool lighter = Luminance(Back) < 0.18;
  QColor color = ToQColor(text).toHsl();
  for (int lightness = color.lightness(); lightness >= 0 && lightness <= 255; lightness += lighter ? 8 : -8) {
    QColor tried;
    tried.setHsl(color.hslHue(), color.hslSaturation(), lightness);
    if (ContrastRatio(FromQColor(tried.toRgb()), Back) >= kReadableContrast) return FromQColor(tried.toRgb());
  }
  return lighter ? clWhite : clBlack;
}

TColor PlainTextColor() { return FromQColor(QApplication::palette().color(QPalette::Text)); }
TColor PlainBackColor() { return FromQColor(QApplication::palette().color(QPalette::Base)); }

void PaintBackColor(QWidget* widget, QPalette::ColorRole role, TColor back) {
  widget->setProperty(kBackColorProperty, static_cast<int>(back));
  widget->setProperty(kBackRoleProperty, static_cast<int>(role));
  PaintBack(widget, role, back);
  // Text the program coloured is made readable on the new background.
  const QVariant text = widget->property(kTextColorProperty);
  if (text.isValid()) PaintText(widget, static_cast<TColor>(text.toInt()));
}

void PaintTextColor(QWidget* widget, TColor text) {
  widget->setProperty(kTextColorProperty, static_cast<int>(text));
  PaintText(widget, text);
}

bool GivenTextColor(const QWidget* widget, TColor& text) {
  const QVariant given = widget->property(kTextColorProperty);
  if (!given.isValid()) return false;
  text = static_cast<TColor>(given.toInt());
  return true;
}
