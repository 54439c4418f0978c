// Colours, with the system colours fixed at the classic desktop's defaults
// so that the window looks the same on every machine, unless another colour
// scheme is chosen.
#include <QColor>

#include <array>

#include "control_data.h"
#include "toolkit/colors.h"

namespace {

constexpr uint32_t kSystemColorRgb[] = {
    0xC8C8C8,  // scroll bar
    0x000000,  // background
    0x99B4D1,  // active caption
    0xBFCDDB,  // inactive caption
    0xF0F0F0,  // menu
    0xFFFFFF,  // window
    0x646464,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0x000000,  // caption text
    0xB4B4B4,  // active border
    0xF4F7FC,  // inactive border
    0xABABAB,  // application workspace
    0x3399FF,  // highlight
    0xFFFFFF,  // highlight text
    0xF0F0F0,  // button face
    0xA0A0A0,  // button shadow
    0x6D6D6D,  // grey text
    0x000000,  // button text
    0x434E54,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x696969,  // 3-D dark shadow
    0xE3E3E3,  // 3-D light
    0x000000,  // info text
    0xFFFFE1,  // info background
    0xB5B5B5,  // (unused slot)
    0x0066CC,  // hot light
    0xB9D1EA,  // gradient active caption
    0xD7E4F2,  // gradient inactive caption
    0x3399FF,  // menu highlight
    0xF0F0F0,  // menu bar
};

}  // namespace

TColor ColorToRGB(TColor Color) {
  auto value = static_cast<uint32_t>(Color);
  if ((value & 0xFF000000u) == 0x80000000u) {
    uint32_t index = value & 0xFFu;
    TColor schemed;
    if (SchemeSystemColor(index, schemed)) return schemed;
    if (index >= std::size(kSystemColorRgb)) return clBlack;
    uint32_t rgb = kSystemColorRgb[index];
    return static_cast<TColor>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
  }
  if (Color == clNone || Color == clDefault) return clWhite;
  return static_cast<TColor>(value & 0x00FFFFFFu);
}

QColor ToQColor(TColor color) {
  auto bgr = static_cast<uint32_t>(ColorToRGB(color));
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}
