#include "formats/zlib_stream.h"

#include <algorithm>
#include <array>

#include "document/errors.h"

namespace pixolat {

namespace {

const char* const kCorrupt = "The compressed picture data is damaged.";

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

// Bits are taken from each byte's least significant end first.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    int Bits(int count) {
        while (held_ < count) {
            if (position_ >= bytes_.size()) throw Error(kCorrupt);
            buffer_ |= uint32_t(bytes_[position_++]) << held_;
            held_ += 8;
        }
        const int value = int(buffer_ & ((1u << count) - 1));
        buffer_ >>= count;
        held_ -= count;
        return value;
    }
    void SkipToByte() {
        buffer_ = 0;
        held_ = 0;
    }
    uint8_t Byte() {
        if (position_ >= bytes_.size()) throw Error(kCorrupt);
        return bytes_[position_++];
    }

private:
    std::span<const uint8_t> bytes_;
    std::size_t position_ = 0;
    uint32_t buffer_ = 0;
    int held_ = 0;
};

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Huffman {
    std::array<int, 16> count{};
    std::array<int, 288> symbol{};

    // Over-subscribed code lengths are refused; an incomplete code is
    // accepted, and a code it lacks fails when met.
    void Build(const int* lengths, int n) {
        count.fill(0);
        for (int s = 0; s < n; ++s) ++count[std::size_t(lengths[s])];
        int left = 1;
        for (int len = 1; len < 16; ++len) {
            left = 2 * left - count[std::size_t(len)];
            if (left < 0) throw Error(kCorrupt);
        }
        std::array<int, 16> offsets{};
        for (int len = 1; len < 15; ++len)
            offsets[std::size_t(len + 1)] = offsets[std::size_t(len)] + count[std::size_t(len)];
        for (int s = 0; s < n; ++s)
            if (lengths[s] != 0) symbol[std::size_t(offsets[std::size_t(lengths[s])]++)] = s;
    }

    int Decode(BitReader& in) const {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            code |= in.Bits(1);
            const int n = count[std::size_t(len)];
            if (code >= first && code - first < n) return symbol[std::size_t(index + code - first)];
            index += n;
            first = (first + n) << 1;
            code <<= 1;
        }
        throw Error(kCorrupt);
    }
};

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Inflater {
public:
    Inflater(std::span<const uint8_t> bytes, std::size_t maxOutput)
        : in_(bytes), maxOutput_(maxOutput) {}

    std::vector<uint8_t> Run() {
        bool last = false;
        while (!last) {
            last = in_.Bits(1) == 1;
            switch (in_.Bits(2)) {
                case 0:
                    Stored();
                    break;
                case 1:
                    Fixed();
                    break;
                case 2:
                    Dynamic();
                    break;
                default:
                    throw Error(kCorrupt);
            }
        }
        return std::move(out_);
    }

private:
    void Put(uint8_t byte) {
        if (out_.size() >= maxOutput_) throw Error(kCorrupt);
        out_.push_back(byte);
    }

    void Stored() {
        in_.SkipToByte();
        const int length = in_.Byte() | in_.Byte() << 8;
        const int complement = in_.Byte() | in_.Byte() << 8;
        if ((length ^ 0xFFFF) != complement) throw Error(kCorrupt);
        for (int i = 0; i < length; ++i) Put(in_.Byte());
    }

    void Fixed() {
        int lengths[288 + 30];
        for (int s = 0; s < 144; ++s) lengths[s] = 8;
        for (int s = 144; s < 256; ++s) lengths[s] = 9;
        for (int s = 256; s < 280; ++s) lengths[s] = 7;
        for (int s = 280; s < 288; ++s) lengths[s] = 8;
        for (int s = 0; s < 30; ++s) lengths[288 + s] = 5;
        Huffman literals, distances;
        literals.Build(lengths, 288);
        distances.Build(lengths + 288, 30);
        Codes(literals, distances);
    }

    void Dynamic() {
        const int literalCount = in_.Bits(5) + 257;
        const int distanceCount = in_.Bits(5) + 1;
        const int lengthCodeCount = in_.Bits(4) + 4;
        if (literalCount > 286 || distanceCount > 30) throw Error(kCorrupt);
        static constexpr int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                           11, 4,  12, 3, 13, 2, 14, 1, 15};
        int lengths[286 + 30] = {};
        for (int i = 0; i < lengthCodeCount; ++i) lengths[kOrder[i]] = in_.Bits(3);
        Huffman lengthCode;
        lengthCode.Build(lengths, 19);
        const int total = literalCount + distanceCount;
        for (int i = 0; i < total;) {
            const int symbol = lengthCode.Decode(in_);
            if (symbol < 16) {
                lengths[i++] = symbol;
                continue;
            }
            int value = 0, repeat = 0;
            if (symbol == 16) {
                if (i == 0) throw Error(kCorrupt);
                value = lengths[i - 1];
                repeat = 3 + in_.Bits(2);
            } else if (symbol == 17) {
                repeat = 3 + in_.Bits(3);
            } else {
                repeat = 11 + in_.Bits(7);
            }
            if (i + repeat > total) throw Error(kCorrupt);
            while (repeat-- > 0) lengths[i++] = value;
        }
        if (lengths[256] == 0) throw Error(kCorrupt);
        Huffman literals, distances;
        literals.Build(lengths, literalCount);
        distances.Build(lengths + literalCount, distanceCount);
        Codes(literals, distances);
    }

    void Codes(const Huffman& literals, const Huffman& distances) {
        for (;;) {
            const int symbol = literals.Decode(in_);
            if (symbol < 256) {
                Put(uint8_t(symbol));
                continue;
            }
            if (symbol == 256) return;
            const int index = symbol - 257;
            if (index >= 29) throw Error(kCorrupt);
            const int length = kLengthBase[index] + in_.Bits(kLengthExtra[index]);
            const int code = distances.Decode(in_);
            if (code >= 30) throw Error(kCorrupt);
            const std::size_t distance =
                std::size_t(kDistanceBase[code] + in_.Bits(kDistanceExtra[code]));
            if (distance > out_.size()) throw Error(kCorrupt);
            for (int i = 0; i < length; ++i) Put(out_[out_.size() - distance]);
        }
    }

    BitReader in_;
    std::size_t maxOutput_;
    std::vector<uint8_t> out_;
};

}  // namespace

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    crc = ~crc;
    for (uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(std::span<const uint8_t> bytes) {
    uint32_t a = 1, b = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        // 5552 bytes is the most that can be summed before the 32-bit sums overflow.
        const std::size_t end = std::min(bytes.size(), i + 5552);
        for (; i < end; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return b << 16 | a;
}

std::vector<uint8_t> Inflate(std::span<const uint8_t> deflate, std::size_t maxOutput) {
    return Inflater(deflate, maxOutput).Run();
}

std::vector<uint8_t> ZlibDecompress(std::span<const uint8_t> stream, std::size_t maxOutput) {
    if (stream.size() < 6) throw Error(kCorrupt);
    const int cmf = stream[0], flags = stream[1];
    if ((cmf & 0x0F) != 8 || (cmf * 256 + flags) % 31 != 0 || (flags & 0x20) != 0)
        throw Error(kCorrupt);
    std::vector<uint8_t> out = Inflate(stream.subspan(2), maxOutput);
    // The checksum follows the deflate data; the decoder does not say where
    // that ends, but the stream's last four bytes are the checksum.
    const std::size_t n = stream.size();
    const uint32_t stored = uint32_t(stream[n - 4]) << 24 | uint32_t(stream[n - 3]) << 16 |
                            uint32_t(stream[n - 2]) << 8 | uint32_t(stream[n - 1]);
    if (stored != Adler32(out)) throw Error(kCorrupt);
    return out;
}

std::vector<uint8_t> ZlibStore(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out{0x78, 0x01};
    std::size_t position = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, bytes.size() - position);
        const bool last = position + length == bytes.size();
        out.push_back(last ? 1 : 0);
        out.push_back(uint8_t(length & 0xFF));
        out.push_back(uint8_t(length >> 8));
        out.push_back(uint8_t(~length & 0xFF));
        out.push_back(uint8_t((~length >> 8) & 0xFF));
        out.insert(out.end(), bytes.begin() + std::ptrdiff_t(position),
                   bytes.begin() + std::ptrdiff_t(position + length));
        position += length;
    } while (position < bytes.size());
    const uint32_t adler = Adler32(bytes);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(adler >> shift));
    return out;
}

}  // namespace pixolat
