#pragma once
// Picture files, all the mask processor needs from the desktop: read as
// 24-bit RGB, written as a Windows bitmap. Failures throw pixolat::Error with
// the text the user is shown.
#include <algorithm>
#include <string>

#include "document/picture.h"

namespace pixolat {

class PictureFiles {
public:
    virtual ~PictureFiles() = default;

    virtual Picture LoadPicture(const std::string& path) = 0;
    // The top-left maxWidth x maxHeight part of a picture, for an import that
    // uses no more: a platform that can decode only that part keeps the
    // memory a huge picture takes bounded.
    virtual Picture LoadPictureCorner(const std::string& path, int maxWidth, int maxHeight) {
        Picture whole = LoadPicture(path);
        if (whole.width <= maxWidth && whole.height <= maxHeight) return whole;
        Picture corner;
        corner.width = std::min(whole.width, maxWidth);
        corner.height = std::min(whole.height, maxHeight);
        corner.damage = whole.damage;
        for (int y = 0; y < corner.height; ++y)
            for (int x = 0; x < corner.width; ++x) corner.pixels.push_back(whole.at(x, y));
        return corner;
    }
    virtual void SavePictureAsBitmap(const std::string& path, const Picture& picture) = 0;
    // Saves a picture as the type its path names: PNG for ".png", else a
    // Windows bitmap.
    virtual void SavePicture(const std::string& path, const Picture& picture) {
        SavePictureAsBitmap(path, picture);
    }
};

}  // namespace pixolat
