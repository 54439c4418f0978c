// What a TPicture holds.
#pragma once

#include <QPixmap>

struct PictureData {
  QPixmap pixmap;
};
