#include "resources/icon/ico_file.h"

#include <array>
#include <limits>

#include "resources/icon/icon_art.h"

namespace kt73b::res {

namespace {

struct Rgb {
    std::uint8_t red, green, blue;
};

// The sixteen colours every 4-bit display has.
constexpr std::array<Rgb, 16> kVgaPalette = {{
    {0x00, 0x00, 0x00},
    {0x80, 0x00, 0x00},
    {0x00, 0x80, 0x00},
    {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80},
    {0x80, 0x00, 0x80},
    {0x00, 0x80, 0x80},
    {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80},
    {0xFF, 0x00, 0x00},
    {0x00, 0xFF, 0x00},
    {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF},
    {0xFF, 0x00, 0xFF},
    {0x00, 0xFF, 0xFF},
    {0xFF, 0xFF, 0xFF},
}};

// A 6x6x6 colour cube and a ramp of greys: 256 entries.
std::vector<Rgb> CubePalette() {
    std::vector<Rgb> palette;
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                palette.push_back({static_cast<std::uint8_t>(r * 51),
                                   static_cast<std::uint8_t>(g * 51),
                                   static_cast<std::uint8_t>(b * 51)});
            }
        }
    }
    for (int i = 0; palette.size() < 256; ++i) {
        const auto grey = static_cast<std::uint8_t>(8 + i * 6);
        palette.push_back({grey, grey, grey});
    }
    return palette;
}

std::uint8_t Nearest(const std::vector<Rgb>& palette, const IconPixel& pixel) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].red - pixel.red;
        const int dg = palette[i].green - pixel.green;
        const int db = palette[i].blue - pixel.blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return static_cast<std::uint8_t>(best);
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::size_t RowBytes(int width, int bits) {
    return static_cast<std::size_t>((width * bits + 31) / 32 * 4);
}

// One image: header, palette, colour rows and mask rows, both bottom-up as bitmaps are stored.
std::vector<std::uint8_t> BuildImage(int size, int bits) {
    const std::vector<IconPixel> pixels = DrawIcon(size);
    const std::vector<Rgb> palette = bits == 4
                                         ? std::vector<Rgb>(kVgaPalette.begin(), kVgaPalette.end())
                                         : (bits == 8 ? CubePalette() : std::vector<Rgb>{});
    const std::size_t colourRow = RowBytes(size, bits);
    const std::size_t maskRow = RowBytes(size, 1);
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));  // colour and mask together
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>((colourRow + maskRow) * static_cast<std::size_t>(size)));
    for (int i = 0; i < 4; ++i) {
        Put32(out, 0);
    }
    for (const Rgb& entry : palette) {
        out.insert(out.end(), {entry.blue, entry.green, entry.red, 0});
    }
    for (int row = size - 1; row >= 0; --row) {
        std::vector<std::uint8_t> line(colourRow, 0);
        for (int column = 0; column < size; ++column) {
            const IconPixel& pixel = pixels[static_cast<std::size_t>(row * size + column)];
            const IconPixel shown = pixel.opaque ? pixel : IconPixel{0, 0, 0, false};
            const auto at = static_cast<std::size_t>(column);
            if (bits == 24) {
                line[at * 3] = shown.blue;
                line[at * 3 + 1] = shown.green;
                line[at * 3 + 2] = shown.red;
            } else if (bits == 8) {
                line[at] = Nearest(palette, shown);
            } else {
                const std::uint8_t index = Nearest(palette, shown);
                line[at / 2] |= static_cast<std::uint8_t>(at % 2 == 0 ? index << 4 : index);
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    for (int row = size - 1; row >= 0; --row) {
        std::vector<std::uint8_t> line(maskRow, 0);
        for (int column = 0; column < size; ++column) {
            if (!pixels[static_cast<std::size_t>(row * size + column)].opaque) {
                line[static_cast<std::size_t>(column / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (column % 8));
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> BuildIcoFile() {
    std::vector<std::vector<std::uint8_t>> images;
    std::vector<std::pair<int, int>> formats;
    for (int size : kIconSizes) {
        for (int bits : kIconBitDepths) {
            images.push_back(BuildImage(size, bits));
            formats.emplace_back(size, bits);
        }
    }
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto [size, bits] = formats[i];
        out.push_back(static_cast<std::uint8_t>(size));
        out.push_back(static_cast<std::uint8_t>(size));
        out.push_back(static_cast<std::uint8_t>(bits == 4 ? 16 : 0));
        out.push_back(0);
        Put16(out, 1);
        Put16(out, static_cast<unsigned>(bits));
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

}  // namespace kt73b::res
