#include "log_styles.h"

#include "control_data.h"
#include "toolkit/color_scheme.h"

namespace {

// The looks of the roles, where the text gives no colour of its own.
TColor RoleFore(TTextStyle::TRole role) {
  switch (role) {
    case TTextStyle::trInvalidByte:
      return clMaroon;
    case TTextStyle::trSent:
      return clNavy;
    case TTextStyle::trStamp:
      return clGray;
    default:
      return clNone;
  }
}

TColor RoleBack(TTextStyle::TRole role) { return role == TTextStyle::trInvalidByte ? TColor(0xD8E4F0) : clNone; }

}  // namespace

void LogStyles::Clear() {
  styles_.assign(1, TTextStyle());
  indices_.clear();
  indices_[KeyOf(TTextStyle())] = 0;
  lastIndex_ = 0;
}

std::uint32_t LogStyles::IndexOf(const TTextStyle& style) {
  if (styles_[lastIndex_] == style) return lastIndex_;
  auto [it, added] = indices_.try_emplace(KeyOf(style), std::uint32_t(styles_.size()));
  if (added) styles_.push_back(style);
  lastIndex_ = it->second;
  return lastIndex_;
}

QTextCharFormat LogStyles::Format(std::uint32_t index, const QPalette& palette) const {
  QTextCharFormat format;
  if (index == 0 || index >= styles_.size()) return format;
  const TTextStyle& style = styles_[index];
  TColor fore = style.Fore != clNone ? style.Fore : RoleFore(style.Role);
  TColor back = style.Back != clNone ? style.Back : RoleBack(style.Role);
  // The scheme in effect draws given colours its way: a dark one turns a
  // background's lightness over and keeps text readable on it.
  QColor backColor = back != clNone ? ToQColor(BackColorInEffect(back)) : palette.color(QPalette::Base);
  const TColor under = static_cast<TColor>(backColor.red() | (backColor.green() << 8) | (backColor.blue() << 16));
  QColor foreColor = fore != clNone ? ToQColor(TextColorInEffect(fore, under)) : palette.color(QPalette::Text);
  if (style.Reverse) std::swap(foreColor, backColor);
  if (fore != clNone || style.Reverse) format.setForeground(foreColor);
  if (back != clNone || style.Reverse) format.setBackground(backColor);
  if (style.Bold) format.setFontWeight(QFont::Bold);
  if (style.Underline) format.setFontUnderline(true);
  if (style.Role == TTextStyle::trSent) format.setFontItalic(true);
  return format;
}
