#include "resources/icon/png_file.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "resources/icon/icon_art.h"

namespace kt73b::res {

namespace {

// The largest block deflate stores without compressing it.
constexpr std::size_t kStoredBlockBytes = 65535;

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
    std::uint32_t low = 1;
    std::uint32_t high = 0;
    for (const std::uint8_t byte : data) {
        low = (low + byte) % 65521u;
        high = (high + low) % 65521u;
    }
    return (high << 16) | low;
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type,
              const std::vector<std::uint8_t>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

// Rows of RGBA, each led by filter type 0 (none).
std::vector<std::uint8_t> Scanlines(int size) {
    const std::vector<IconPixel> pixels = DrawIcon(size);
    std::vector<std::uint8_t> raw;
    for (int row = 0; row < size; ++row) {
        raw.push_back(0);
        for (int column = 0; column < size; ++column) {
            const IconPixel& pixel = pixels[static_cast<std::size_t>(row * size + column)];
            const std::uint8_t alpha = pixel.opaque ? 0xFF : 0x00;
            raw.insert(raw.end(), {pixel.red, pixel.green, pixel.blue, alpha});
        }
    }
    return raw;
}

// A zlib stream of stored blocks: the icons are a few kilobytes, so compressing them is not
// worth a compressor of our own or a library for a build-time tool.
std::vector<std::uint8_t> ZlibStored(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kStoredBlockBytes, raw.size() - at);
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        const auto len = static_cast<std::uint16_t>(length);
        const auto nlen = static_cast<std::uint16_t>(~len);
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(len & 0xFF), static_cast<std::uint8_t>(len >> 8),
                    static_cast<std::uint8_t>(nlen & 0xFF), static_cast<std::uint8_t>(nlen >> 8)});
        const auto from = raw.begin() + static_cast<std::ptrdiff_t>(at);
        out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(length));
        at += length;
    } while (at < raw.size());
    PutBig32(out, Adler32(raw));
    return out;
}

}  // namespace

std::vector<std::uint8_t> BuildPngFile(int size) {
    constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                        '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> out(kSignature.begin(), kSignature.end());
    std::vector<std::uint8_t> header;
    PutBig32(header, static_cast<std::uint32_t>(size));
    PutBig32(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", ZlibStored(Scanlines(size)));
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace kt73b::res
