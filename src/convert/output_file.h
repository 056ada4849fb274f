#pragma once
// Whole-file reads and writes of the converter, POSIX only (no toolkit).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pixolat {

// Reads the whole regular file; a file longer than limit is refused with a message
// that names the limit (limitText, e.g. "2 GiB"), never cut.
std::vector<uint8_t> ReadWholeFile(const std::string& path, std::size_t limit,
                                   const std::string& limitText);

// Hands a file's bytes to `piece` in order, a bounded piece at a time, so a
// large file is never held whole. What is not a regular file (a pipe, a
// device, a folder) is refused before anything is read; a file longer than
// limit is refused when the reading reaches the limit.
void ReadFileInPieces(const std::string& path, std::size_t limit, const std::string& limitText,
                      const std::function<void(std::string_view)>& piece);

// Reads at most limit bytes from the start of the file; what is not a
// regular file is refused as by ReadFileInPieces.
std::vector<uint8_t> ReadFileStart(const std::string& path, std::size_t limit);

// Replaces the file with bytes, whole or not at all: the bytes go to a
// temporary file in the target's folder, which is renamed over the target
// once every byte is on disk. A symlink is followed and its target replaced;
// an existing file keeps its permission bits (but, being a new file, not its
// other hard links). The temporary file is removed on failure, past a file
// size limit and on every signal from outside that ends the program.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// True when both paths name the same existing file (same device and inode).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace pixolat
