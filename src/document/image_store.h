#pragma once
// The fixed store of 257 images plus the copy buffer.
//
// Units: every coordinate is a hires pixel position, columns 0..639 and rows
// 0..1023. A pixel plane holds one byte (0 or 1) per hires position and is
// column-major: all 1024 rows of column 0, then column 1, and so on. The
// attribute planes (colmap, lummap) hold 4 banks of 80 x 128 cells, bank by
// bank, each bank cell-column-major. All planes are reserved once for the whole
// run and handed out by the system lazily as zero pages.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pixolat {

inline constexpr int kPlaneWidth = 640;
inline constexpr int kPlaneHeight = 1024;
inline constexpr int kCellColumns = kPlaneWidth / 8;
inline constexpr int kCellRows = kPlaneHeight / 8;
inline constexpr int kBanks = 4;
inline constexpr int kImageCount = 257;
inline constexpr int kLastImage = kImageCount - 1;
inline constexpr std::size_t kPlaneBytes = std::size_t(kPlaneWidth) * kPlaneHeight;
inline constexpr std::size_t kBankBytes = std::size_t(kCellColumns) * kCellRows;
inline constexpr std::size_t kAttributeBytes = kBankBytes * kBanks;

// Cell order used by the file formats; drawing ignores it.
enum class Layout : uint8_t { Bitmap = 0, Charset = 1, Charset2x2 = 2 };
// Which attribute bank a pixel row uses, and what the file formats write.
enum class ColorMapKind : uint8_t { None = 0, Normal = 1, Dfli = 2 };
enum class DrawingMode : uint8_t { PixelOnly = 0, PixelAndColor = 1, ColorOnly = 2 };

// 0..1 in a hires image, 0..3 in a multicolor image.
using PixelValue = int32_t;
// Luminance in the high nibble, hue in the low nibble.
using ColorCode = int32_t;

struct ImageDescriptor {
    std::string name;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pixelWidth = 0;  // 1 hires, 2 multicolor; 0 in a never-used image
    Layout layout = Layout::Bitmap;
    ColorMapKind colorMapKind = ColorMapKind::None;
    ColorCode color0 = 0;
    ColorCode color3 = 0;
};

// A size as far as the planes hold it: width 0..640, height 0..1024.
struct Extent {
    int width;
    int height;
};

// Clips a width and height to the plane; negative sizes become 0.
inline Extent ClipToPlane(int width, int height) {
    return {width < 0             ? 0
            : width > kPlaneWidth ? kPlaneWidth
                                  : width,
            height < 0              ? 0
            : height > kPlaneHeight ? kPlaneHeight
                                    : height};
}

// The image's extent clipped to the plane: every loop over an image's pixels
// or cells stays inside it, whatever size the descriptor claims.
inline Extent ImageExtent(const ImageDescriptor& desc) {
    return ClipToPlane(desc.width, desc.height);
}

// One image's pixel bytes, 640 x 1024, column-major.
class PixelPlane {
public:
    explicit PixelPlane(uint8_t* bytes = nullptr) : bytes_(bytes) {}
    uint8_t& at(int x, int y) { return bytes_[std::size_t(x) * kPlaneHeight + std::size_t(y)]; }
    uint8_t at(int x, int y) const {
        return bytes_[std::size_t(x) * kPlaneHeight + std::size_t(y)];
    }
    // The 1024 rows of column x, for loops that walk down a column.
    uint8_t* column(int x) { return bytes_ + std::size_t(x) * kPlaneHeight; }
    const uint8_t* column(int x) const { return bytes_ + std::size_t(x) * kPlaneHeight; }
    uint8_t* data() { return bytes_; }
    const uint8_t* data() const { return bytes_; }

private:
    uint8_t* bytes_;
};

// One of the two attribute planes (colmap or lummap): 4 banks of 80 x 128 cells.
class AttributePlane {
public:
    explicit AttributePlane(uint8_t* bytes = nullptr) : bytes_(bytes) {}
    uint8_t& at(int bank, int cx, int cy) { return bytes_[Offset(bank, cx, cy)]; }
    uint8_t at(int bank, int cx, int cy) const { return bytes_[Offset(bank, cx, cy)]; }
    uint8_t* data() { return bytes_; }
    const uint8_t* data() const { return bytes_; }

private:
    static std::size_t Offset(int bank, int cx, int cy) {
        return std::size_t(bank) * kBankBytes + std::size_t(cx) * kCellRows + std::size_t(cy);
    }
    uint8_t* bytes_;
};

struct Image {
    ImageDescriptor desc;
    PixelPlane plane;
    AttributePlane colmap;
    AttributePlane lummap;
};

// The copy buffer is an image record outside the 257 images; of its
// descriptor only width, height and pixelWidth are used.
using CopyBuffer = Image;

class ImageStore {
public:
    ImageStore();
    ImageStore(const ImageStore&) = delete;
    ImageStore& operator=(const ImageStore&) = delete;

    // index 0..256
    Image& image(int index) { return images_[std::size_t(index)]; }
    const Image& image(int index) const { return images_[std::size_t(index)]; }
    CopyBuffer& copyBuffer() { return images_[kImageCount]; }
    const CopyBuffer& copyBuffer() const { return images_[kImageCount]; }

private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, FreeDeleter> memory_;
    std::vector<Image> images_;  // 257 images, then the copy buffer
};

}  // namespace pixolat
