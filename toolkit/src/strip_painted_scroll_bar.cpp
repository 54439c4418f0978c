#include "strip_painted_scroll_bar.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionComplex>

#include <algorithm>

namespace {

// Qt's raster engine hands a gradient or translucent fill of 96 rows or
// more to its thread pool and waits for it there. A memo's scroll bar is
// drawn again at every frame of a fast line, and its groove is such a fill:
// waking the pool's threads and waiting for them costs many times the fill
// itself. Drawn strip by strip into an image no taller than this, no fill
// can reach that height, whatever clip the style sets itself.
constexpr int kStripPixelRows = 64;

class StripPaintingStyle : public QProxyStyle {
 public:
  // A style of the application's kind: QProxyStyle would own a style
  // handed to it, and the application's is not its to own.
  StripPaintingStyle() : QProxyStyle(QApplication::style()->name()) {}

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const qreal ratio = painter->device()->devicePixelRatio();
    const int stripRows = std::max(1, static_cast<int>(kStripPixelRows / ratio));
    if (control != CC_ScrollBar || option->rect.height() <= stripRows) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    const QRect whole = option->rect;
    for (int top = whole.top(); top <= whole.bottom(); top += stripRows) {
      const QRect strip(whole.left(), top, whole.width(), std::min(stripRows, whole.bottom() + 1 - top));
      QImage image(strip.size() * ratio, QImage::Format_ARGB32_Premultiplied);
      image.setDevicePixelRatio(ratio);
      image.fill(Qt::transparent);
      {
        // Starts as the widget's own painter did.
        QPainter stripPainter(&image);
        stripPainter.setRenderHints(painter->renderHints());
        stripPainter.setPen(painter->pen());
        stripPainter.setBrush(painter->brush());
        stripPainter.setFont(painter->font());
        stripPainter.setLayoutDirection(painter->layoutDirection());
        stripPainter.translate(-strip.topLeft());
        QProxyStyle::drawComplexControl(control, option, &stripPainter, widget);
      }
      painter->drawImage(strip.topLeft(), image);
    }
  }
};

}  // namespace

void PaintInStrips(QScrollBar* bar) {
  auto* style = new StripPaintingStyle;
  style->setParent(bar);  // goes with the bar
  bar->setStyle(style);
}
