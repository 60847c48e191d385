#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Geometry.hpp"

namespace stowbar {

// Pixels of an image, row by row from the top, each 0xAARRGGBB with premultiplied alpha.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    friend bool operator==(const Bitmap&, const Bitmap&) = default;
};

// A picture as the program passes it around: a size in points and, where it has pixels, a
// bitmap (of twice the point size for a capture drawn at double density). A named symbol
// carries its name instead of pixels and is drawn by the user interface. An image without
// either is the empty image.
//
// Images are immutable and shared: hold them through ImageRef.
class Image {
  public:
    Image() = default;
    Image(Size size, std::optional<Bitmap> bitmap, std::string symbolName = {})
        : size_(size), bitmap_(std::move(bitmap)), symbolName_(std::move(symbolName)) {}

    static std::shared_ptr<const Image> symbol(std::string name, Size size = {18, 18}) {
        return std::make_shared<const Image>(size, std::nullopt, std::move(name));
    }

    Size size() const { return size_; }
    const std::optional<Bitmap>& bitmap() const { return bitmap_; }
    const std::string& symbolName() const { return symbolName_; }
    bool isEmpty() const { return !bitmap_ && symbolName_.empty(); }

  private:
    Size size_;
    std::optional<Bitmap> bitmap_;
    std::string symbolName_;
};

using ImageRef = std::shared_ptr<const Image>;

}  // namespace stowbar
