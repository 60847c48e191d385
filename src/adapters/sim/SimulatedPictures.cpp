#include "adapters/sim/SimulatedPictures.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Geometry.hpp"
#include "platform/Image.hpp"

namespace stowbar {

namespace {

// A saturated, opaque colour per number (premultiplied ARGB; opaque, so no scaling needed).
std::uint32_t colourFor(std::uint64_t number) {
    const std::uint64_t mixed = (number + 1) * 0x9E3779B97F4A7C15ull;
    const auto channel = [&](int shift) {
        return static_cast<std::uint32_t>(0x40 + ((mixed >> shift) & 0xFF) % 0xA0);
    };
    return 0xFF000000u | (channel(8) << 16) | (channel(24) << 8) | channel(40);
}

}  // namespace

ImageRef simulatedApplicationIcon(std::int32_t pid) {
    constexpr int kSide = 64;
    constexpr int kRadius = 14;
    Bitmap bitmap{kSide, kSide, std::vector<std::uint32_t>(std::size_t{kSide} * kSide, 0)};
    const std::uint32_t colour = colourFor(static_cast<std::uint64_t>(pid));
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            // Outside the rounded corners stays transparent.
            const int dx =
                x < kRadius ? kRadius - x : (x >= kSide - kRadius ? x - (kSide - kRadius - 1) : 0);
            const int dy =
                y < kRadius ? kRadius - y : (y >= kSide - kRadius ? y - (kSide - kRadius - 1) : 0);
            if (dx * dx + dy * dy <= kRadius * kRadius) {
                bitmap.pixels[static_cast<std::size_t>(y) * kSide + x] = colour;
            }
        }
    }
    return std::make_shared<const Image>(Size{32, 32}, std::move(bitmap));
}

Bitmap simulatedWindowPicture(std::uint32_t windowID, std::int64_t width, std::int64_t height) {
    Bitmap bitmap{static_cast<int>(width), static_cast<int>(height),
                  std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))};
    const std::uint32_t colour = colourFor(windowID);
    // A filled disc on a transparent ground, like a monochrome menu bar glyph.
    const double cx = static_cast<double>(width) / 2;
    const double cy = static_cast<double>(height) / 2;
    const double radius = 0.4 * static_cast<double>(std::min(width, height));
    for (std::int64_t y = 0; y < height; ++y) {
        for (std::int64_t x = 0; x < width; ++x) {
            const double dx = static_cast<double>(x) + 0.5 - cx;
            const double dy = static_cast<double>(y) + 0.5 - cy;
            if (dx * dx + dy * dy <= radius * radius) {
                bitmap.pixels[static_cast<std::size_t>(y * width + x)] = colour;
            }
        }
    }
    return bitmap;
}

}  // namespace stowbar
