#pragma once
// Copies the shapes of a PC picture into an image's pixel plane, taking each
// pixel's value from bits of its red component: no color matching, the picture
// is expected to be prepared for it.
#include <cstddef>

#include "document/image_store.h"
#include "document/picture.h"

namespace pixolat {

struct PictureArea {
    int width;   // the picture's width, at most 640
    int height;  // the picture's height, at most 1024
};

// The part of the picture that fits a pixel plane.
PictureArea PictureImportArea(const Picture& picture);

// Whether the importable area holds more than `count` distinct colors: a
// picture not prepared for bits of red (a photograph) gives noise or black.
bool PictureHasMoreColors(const Picture& picture, std::size_t count);

// Hires: the plane bit is bit 0 of red. Multicolor: for every even column the
// plane bits at x and x + 1 become bits 6 and 7 of red, and the odd columns are
// not read. The whole area is written even past the image's width and height;
// the rest of the plane and the descriptor stay.
void ImportPicturePixels(const Picture& picture, Image& image);

}  // namespace pixolat
