#pragma once
// An image as a picture at 1:1 in the editor's colors, for writing as a PC
// picture: a multicolor pixel covers both its columns.
#include "document/colors.h"
#include "document/image_store.h"
#include "document/picture.h"

namespace pixolat {

Picture RenderImage(const Image& image, const RgbTable& rgb);

}  // namespace pixolat
