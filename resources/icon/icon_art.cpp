#include "resources/icon/icon_art.h"

#include <algorithm>
#include <cmath>

namespace kt73b::res {

namespace {

constexpr IconPixel kClear{0, 0, 0, false};
constexpr IconPixel kOutline{0x10, 0x10, 0x20, true};
constexpr IconPixel kBody{0x20, 0x40, 0xA0, true};
constexpr IconPixel kKnob{0xF0, 0xF0, 0xF0, true};
constexpr IconPixel kLed{0xFF, 0x20, 0x20, true};
constexpr IconPixel kSwitch{0xB0, 0xB0, 0xB0, true};

// Coordinates in a unit square, sampled at the pixel's centre.
bool InRoundedBox(double x, double y, double left, double top, double right, double bottom,
                  double radius) {
    const double cx = std::clamp(x, left + radius, right - radius);
    const double cy = std::clamp(y, top + radius, bottom - radius);
    return std::hypot(x - cx, y - cy) <= radius;
}

bool InCircle(double x, double y, double cx, double cy, double radius) {
    return std::hypot(x - cx, y - cy) <= radius;
}

IconPixel Sample(double x, double y, double pixel) {
    if (!InRoundedBox(x, y, 0.14, 0.04, 0.86, 0.96, 0.12)) {
        return kClear;
    }
    if (!InRoundedBox(x, y, 0.14 + pixel, 0.04 + pixel, 0.86 - pixel, 0.96 - pixel, 0.10)) {
        return kOutline;
    }
    if (InCircle(x, y, 0.50, 0.30, 0.15)) {
        // The knob's pointer, so it reads as a knob even at 16 pixels.
        if (std::abs(x - 0.50) < std::max(0.03, pixel / 2) && y < 0.30) {
            return kOutline;
        }
        return kKnob;
    }
    if (InCircle(x, y, 0.50, 0.56, std::max(0.06, pixel))) {
        return kLed;
    }
    if (InRoundedBox(x, y, 0.32, 0.70, 0.68, 0.86, 0.04)) {
        return kSwitch;
    }
    return kBody;
}

}  // namespace

std::vector<IconPixel> DrawIcon(int size) {
    std::vector<IconPixel> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    const double pixel = 1.0 / size;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            pixels[static_cast<std::size_t>(row * size + column)] =
                Sample((column + 0.5) * pixel, (row + 0.5) * pixel, pixel);
        }
    }
    return pixels;
}

}  // namespace kt73b::res
