// TLabel.
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include <algorithm>

#include "control_data.h"
#include "toolkit/std_controls.h"

namespace {

// A label of the form's size draws its caption whole: the font's line box
// (its ascent and descent) may be taller than the label, as a 13-pixel
// label of a 13-pixel font is, and drawn from the top the descenders of
// "y" and "p" would be cut off. Where the glyphs themselves fit, the text
// moves up into the room above them. The glyphs' rows are found by drawing
// the caption once (font metrics' bounds are off by a row here and there).
class LabelWidget : public QLabel {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect area = contentsRect();
    const int overflow = InkBottom() + 1 - area.height();
    const int lift = std::clamp(overflow, 0, std::max(inkTop_, 0));
    const int mnemonic = buddy() ? Qt::TextShowMnemonic : 0;
    style()->drawItemText(&painter, area.adjusted(0, -lift, 0, 0), static_cast<int>(alignment()) | mnemonic, palette(),
                          isEnabled(), text(), foregroundRole());
  }

 private:
  // The lowest row the caption's glyphs cover when drawn from the top;
  // inkTop_ the highest. Found again when the caption or font changed.
  int InkBottom() {
    if (inkText_ == text() && inkFont_ == font()) return inkBottom_;
    inkText_ = text();
    inkFont_ = font();
    const QFontMetrics metrics(font());
    QImage image(std::max(1, metrics.horizontalAdvance(text()) + 8), metrics.height() + 8, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter drawing(&image);
    drawing.setFont(font());
    drawing.setPen(Qt::black);
    drawing.drawText(QRect(0, 0, image.width(), image.height()), Qt::AlignLeft | Qt::AlignTop, text());
    drawing.end();
    inkTop_ = 0;
    inkBottom_ = -1;
    for (int y = 0; y < image.height(); ++y) {
      const uchar* row = image.constScanLine(y);
      if (std::any_of(row, row + image.width(), [](uchar value) { return value < 255; })) {
        if (inkBottom_ < 0) inkTop_ = y;
        inkBottom_ = y;
      }
    }
    return inkBottom_;
  }

  QString inkText_;
  QFont inkFont_;
  int inkTop_ = 0;
  int inkBottom_ = -1;
};

QLabel* NewLabel() {
  auto* label = new LabelWidget;
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

TLabel::TLabel(TComponent* AOwner)
    : TGraphicControl(AOwner, NewControlData(NewLabel, QPalette::Window, clBtnFace)),
      Caption([this] { return String(ControlAccess::WidgetAs<QLabel>(this)->text().toStdString()); },
              [this](const String& value) {
                // Plain text: a caption is never read as markup.
                auto* label = ControlAccess::WidgetAs<QLabel>(this);
                label->setTextFormat(Qt::PlainText);
                label->setText(QString::fromUtf8(value.c_str()));
              }),
      Alignment(
          [this] {
            Qt::Alignment alignment = ControlAccess::WidgetAs<QLabel>(this)->alignment();
            if (alignment & Qt::AlignHCenter) return taCenter;
            if (alignment & Qt::AlignRight) return taRightJustify;
            return taLeftJustify;
          },
          [this](const TAlignment& value) {
            Qt::Alignment horizontal = value == taCenter         ? Qt::AlignHCenter
                                       : value == taRightJustify ? Qt::AlignRight
                                                                 : Qt::AlignLeft;
            ControlAccess::WidgetAs<QLabel>(this)->setAlignment(horizontal | Qt::AlignTop);
          }),
      // Qt's buddy forgets a destroyed widget; the control goes with it.
      FocusControl([this] { return ControlAccess::WidgetAs<QLabel>(this)->buddy() ? focusControl_ : nullptr; },
                   [this](TWinControl* const& value) {
                     focusControl_ = value;
                     ControlAccess::WidgetAs<QLabel>(this)->setBuddy(value ? ControlAccess::Widget(value) : nullptr);
                   }) {}
