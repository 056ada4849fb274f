#pragma once
// A .PRG that shows itself on the Plus/4: it loads at $1001 as the BASIC line
// "10 SYS <viewer>", then the viewer's machine code, zero bytes up to $1800,
// and from there the picture exactly as the plain export writes it. RUN
// shows the picture until a key is pressed and returns to BASIC. The import
// knows it by its size and load address and reads the picture back.
// A DFLI picture is written in its $1001 DFLI layout, the DFLI viewer in
// the program part before the data.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "document/image_store.h"
#include "formats/prg_layouts.h"

namespace pixolat {

inline constexpr uint16_t kRunnableLoadAddress = 0x1001;
// The plain export's $1800 picture ends at $3F40: 2 + $7FF + 10048 bytes.
inline constexpr std::size_t kRunnablePrgSize = 12097;
// File offset of the picture at $1800, after the load address.
inline constexpr std::size_t kRunnablePictureOffset = 2 + 0x1800 - kRunnableLoadAddress;

// The runnable file around a plain export (10050 bytes loading at $1800).
// Throws Error when the bytes are not such an export.
std::vector<uint8_t> EncodeRunnablePrg(std::span<const uint8_t> plainExport);

// The image as a file that shows itself: hires and multicolor images as the
// plain export wrapped as above; DFLI images in the $1001 DFLI layout of
// their pixel width, whose program part is the DFLI viewer (so the import
// reads them as DFLI pictures).
std::vector<uint8_t> EncodeRunnablePrg(const Image& image);

// The .PRG layout the runnable file keeps the image in: what it leaves out
// is what that layout leaves out.
PrgLayout RunnablePrgLayout(const Image& image);

}  // namespace pixolat
