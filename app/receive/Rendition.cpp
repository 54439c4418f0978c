// Select Graphic Rendition: parameters separated by ';' (or ':' in the
// newer form of the extended colours), an empty one meaning 0.
#include <algorithm>
#include <array>
#include <vector>

#include "TerminalEscapes.h"

namespace {

constexpr TColor Rgb(unsigned Red, unsigned Green, unsigned Blue) {
  return static_cast<TColor>(Red | (Green << 8) | (Blue << 16));
}

// The 16 colours, chosen to read on the view's light background too.
constexpr std::array<TColor, 16> kStandard = {
    Rgb(0x00, 0x00, 0x00), Rgb(0xC5, 0x0F, 0x1F), Rgb(0x13, 0xA1, 0x0E), Rgb(0xC1, 0x9C, 0x00),
    Rgb(0x00, 0x37, 0xDA), Rgb(0x88, 0x17, 0x98), Rgb(0x3A, 0x96, 0xDD), Rgb(0xCC, 0xCC, 0xCC),
    Rgb(0x76, 0x76, 0x76), Rgb(0xE7, 0x48, 0x56), Rgb(0x16, 0xC6, 0x0C), Rgb(0xF9, 0xF1, 0xA5),
    Rgb(0x3B, 0x78, 0xFF), Rgb(0xB4, 0x00, 0x9E), Rgb(0x61, 0xD6, 0xD6), Rgb(0xF2, 0xF2, 0xF2),
};

struct Param {
  unsigned Value;
  bool Empty;
  bool AfterColon;
};

std::vector<Param> ParamsOf(std::u16string_view Text) {
  std::vector<Param> params;
  Param current{0, true, false};
  for (const char16_t c : Text) {
    if (c == u';' || c == u':') {
      params.push_back(current);
      current = {0, true, c == u':'};
    } else if (c >= u'0' && c <= u'9') {
      current.Value = std::min(current.Value * 10 + (c - u'0'), 0xFFFFu);
      current.Empty = false;
    }
  }
  params.push_back(current);
  return params;
}

// An extended colour from the parameters after 38 or 48: "5;n" or
// "2;r;g;b" (in the colon form perhaps "2::r:g:b", with an empty colour
// space). Returns how many parameters it took; a colour cut short is
// ignored.
size_t ExtendedColour(const std::vector<Param>& Params, size_t At, TColor& Colour) {
  if (At >= Params.size()) return 0;
  if (Params[At].Value == 5) {
    if (At + 1 >= Params.size()) return 1;
    Colour = PaletteColour(std::min(Params[At + 1].Value, 255u));
    return 2;
  }
  if (Params[At].Value != 2) return 1;
  size_t first = At + 1;
  if (first + 3 < Params.size() && Params[first].Empty && Params[first + 1].AfterColon) ++first;
  if (first + 2 >= Params.size()) return Params.size() - At;
  const auto channel = [&](size_t i) { return std::min(Params[i].Value, 255u); };
  Colour = Rgb(channel(first), channel(first + 1), channel(first + 2));
  return first + 3 - At;
}

}  // namespace

TColor PaletteColour(unsigned Index) {
  if (Index < 16) return kStandard[Index];
  if (Index < 232) {
    constexpr unsigned kLevels[] = {0, 95, 135, 175, 215, 255};
    const unsigned cube = Index - 16;
    return Rgb(kLevels[cube / 36], kLevels[cube / 6 % 6], kLevels[cube % 6]);
  }
  const unsigned grey = 8 + 10 * (std::min(Index, 255u) - 232);
  return Rgb(grey, grey, grey);
}

void ApplyRendition(std::u16string_view Text, TTextStyle& Look) {
  const std::vector<Param> params = ParamsOf(Text);
  for (size_t i = 0; i < params.size(); ++i) {
    const unsigned value = params[i].Value;
    if (value == 0) {
      Look = TTextStyle();
    } else if (value == 1) {
      Look.Bold = true;
    } else if (value == 22) {
      Look.Bold = false;
    } else if (value == 4) {
      Look.Underline = true;
    } else if (value == 24) {
      Look.Underline = false;
    } else if (value == 7) {
      Look.Reverse = true;
    } else if (value == 27) {
      Look.Reverse = false;
    } else if (value >= 30 && value <= 37) {
      Look.Fore = kStandard[value - 30];
    } else if (value >= 90 && value <= 97) {
      Look.Fore = kStandard[value - 90 + 8];
    } else if (value >= 40 && value <= 47) {
      Look.Back = kStandard[value - 40];
    } else if (value >= 100 && value <= 107) {
      Look.Back = kStandard[value - 100 + 8];
    } else if (value == 39) {
      Look.Fore = clNone;
    } else if (value == 49) {
      Look.Back = clNone;
    } else if (value == 38 || value == 48) {
      i += ExtendedColour(params, i + 1, value == 38 ? Look.Fore : Look.Back);
    }
  }
}
