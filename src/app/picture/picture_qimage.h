#pragma once
// The toolkit's side of the picture codec (defined in picture_codec.cpp), for
// the Qt code that hands a picture to the toolkit itself, such as the clipboard.
#include <QImage>

#include "document/picture.h"

namespace pixolat {

// The picture as a 24-bit image, pixel for pixel.
QImage ToQImage(const Picture& picture);

}  // namespace pixolat
