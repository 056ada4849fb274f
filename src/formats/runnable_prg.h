#pragma once
// A .PRG that shows itself on the Plus/4: it loads at $1001 as the BASIC line
// "10 SYS <viewer>", then the viewer's machine code, zero bytes up to $1800,
// and from there the picture exactly as the plain export writes it. RUN
// shows the picture until a key is pressed and returns to BASIC. The import
// knows it by its size and load address and reads the picture back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "document/image_store.h"

namespace pixolat {

inline constexpr uint16_t kRunnableLoadAddress = 0x1001;
// The plain export's $1800 picture ends at $3F40: 2 + $7FF + 10048 bytes.
inline constexpr std::size_t kRunnablePrgSize = 12097;
// File offset of the picture at $1800, after the load address.
inline constexpr std::size_t kRunnablePictureOffset = 2 + 0x1800 - kRunnableLoadAddress;

inline constexpr const char* kRunnableDfliMessage =
    "Runnable .PRG export does not support DFLI images; Export .PRG writes them "
    "with their first attribute bank.";

// Whether the viewer can show the image: every image but DFLI, whose banks
// change every two raster lines.
bool CanExportRunnable(const Image& image);

// The runnable file around a plain export (10050 bytes loading at $1800).
// Throws Error when the bytes are not such an export.
std::vector<uint8_t> EncodeRunnablePrg(std::span<const uint8_t> plainExport);

// The image's plain export wrapped as above. Throws Error with
// kRunnableDfliMessage for DFLI images.
std::vector<uint8_t> EncodeRunnablePrg(const Image& image);

}  // namespace pixolat
