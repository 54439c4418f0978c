// TFont (a view of a widget's font) and TPicture.
#include "toolkit/graphics.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

#include <cmath>

#include "control_data.h"
#include "picture_data.h"
#include "toolkit/exceptions.h"
#include "toolkit/forms.h"

namespace {

// Designs are measured at 96 dots per inch.
constexpr double kPointsPerPixel = 72.0 / 96.0;

void UpdateFont(QWidget* widget, const std::function<void(QFont&)>& change) {
  if (!widget) return;
  QFont font = widget->font();
  change(font);
  widget->setFont(font);
}

int HeightOf(const QFont& font) {
  if (font.pixelSize() > 0) return -font.pixelSize();
  return -static_cast<int>(std::lround(font.pointSizeF() / kPointsPerPixel));
}

}  // namespace

TFont* ControlAccess::NewFont(std::function<QWidget*()> widget) {
  auto binding = std::make_unique<FontBinding>();
  binding->widget = std::move(widget);
  return new TFont(std::move(binding));
}

TFont::TFont(std::unique_ptr<FontBinding> binding)
    : Name([this] { return binding_->widget() ? String(binding_->widget()->font().family().toStdString()) : String(); },
           [this](const String& value) {
             UpdateFont(binding_->widget(), [&](QFont& font) { font.setFamily(QString::fromUtf8(value.c_str())); });
           }),
      Height([this] { return binding_->widget() ? HeightOf(binding_->widget()->font()) : 0; },
             [this](const int& value) {
               // Negative: character height; positive: cell height, taken
               // as the pixel size too.
               int pixels = std::abs(value);
               if (pixels > 0) UpdateFont(binding_->widget(), [&](QFont& font) { font.setPixelSize(pixels); });
             }),
      Size([this] { return static_cast<int>(std::lround(-Height.Get() * kPointsPerPixel)); },
           [this](const int& value) { Height = -static_cast<int>(std::lround(value / kPointsPerPixel)); }),
      Color(
          [this]() -> TColor {
            if (!binding_->widget()) return clWindowText;
            TColor given;
            if (GivenTextColor(binding_->widget(), given)) return given;
            QColor color = binding_->widget()->palette().color(QPalette::WindowText);
            return static_cast<TColor>(color.red() | (color.green() << 8) | (color.blue() << 16));
          },
          [this](const TColor& value) {
            QWidget* widget = binding_->widget();
            if (!widget) return;
            PaintTextColor(widget, value);
          }),
      Style(
          [this]() -> TFontStyles {
            if (!binding_->widget()) return 0;
            QFont font = binding_->widget()->font();
            return (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) | (font.underline() ? fsUnderline : 0) |
                   (font.strikeOut() ? fsStrikeOut : 0);
          },
          [this](const TFontStyles& value) {
            UpdateFont(binding_->widget(), [&](QFont& font) {
              font.setBold(value & fsBold);
              font.setItalic(value & fsItalic);
              font.setUnderline(value & fsUnderline);
              font.setStrikeOut(value & fsStrikeOut);
            });
          }),
      binding_(std::move(binding)) {}

TFont::~TFont() = default;

TPicture::TPicture()
    : Width([this] { return data_->pixmap.width(); }),
      Height([this] { return data_->pixmap.height(); }),
      data_(std::make_unique<PictureData>()) {}

TPicture::~TPicture() = default;

void TPicture::LoadFromFile(const String& FileName) {
  Application->Initialize();  // pictures need the GUI started
  QPixmap pixmap;
  if (!pixmap.load(QString::fromUtf8(FileName.c_str())))
    throw EInvalidGraphic("Cannot load the picture \"" + FileName + "\"");
  data_->pixmap = pixmap;
  if (OnChange) OnChange(this);
}
