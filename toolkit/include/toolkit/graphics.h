// Fonts and pictures.
#pragma once

#include <memory>

#include "toolkit/classes.h"
#include "toolkit/colors.h"
#include "toolkit/events.h"
#include "toolkit/property.h"
#include "toolkit/strings.h"

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // TFontStyle flags combined with |

struct FontBinding;

// A control's font. Height is the classic one: negative for the character
// height in pixels (without internal leading), positive for the cell height;
// Size is in points at 96 dots per inch. A name the machine lacks falls back
// to a similar installed font.
class TFont : public TObject {
 public:
  ~TFont() override;

  Property<String> Name;
  Property<int> Height;
  Property<int> Size;
  Property<TColor> Color;
  Property<TFontStyles> Style;

 private:
  friend class ControlAccess;
  explicit TFont(std::unique_ptr<FontBinding> binding);
  std::unique_ptr<FontBinding> binding_;
};

struct PictureData;

// A picture loaded from a file; a Qt resource path (":/name.png") is a file
// name as well. Formats: PNG, BMP, ICO, JPEG, GIF, XPM.
class TPicture : public TObject {
 public:
  TPicture();
  ~TPicture() override;

  // Raises EInvalidGraphic when the file is missing or not a picture.
  void LoadFromFile(const String& FileName);
  ReadOnlyProperty<int> Width;
  ReadOnlyProperty<int> Height;
  TNotifyEvent OnChange;

 private:
  friend class ControlAccess;
  std::unique_ptr<PictureData> data_;
};

// A window icon, loaded as a picture.
class TIcon : public TPicture {
 public:
  TIcon() = default;
};
