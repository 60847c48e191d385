#include "adapters/qt/QtImageRenderer.hpp"

#include <QImage>

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/Geometry.hpp"
#include "platform/Image.hpp"

namespace stowbar {

namespace {

constexpr double kPixelsPerPoint = 2;
// Icons are small; a larger request is a mistake, not a picture.
constexpr double kMaximumSide = 4096;

}  // namespace

ImageRef QtImageRenderer::redraw(const Image& source, Size size) const {
    const double width = std::round(size.width * kPixelsPerPoint);
    const double height = std::round(size.height * kPixelsPerPoint);
    if (!(width >= 1 && height >= 1 && width <= kMaximumSide && height <= kMaximumSide)) {
        return nullptr;
    }
    if (!source.bitmap()) {
        if (!source.symbolName().empty()) {
            return Image::symbol(source.symbolName(), size);
        }
    }

    Bitmap result;
    result.width = static_cast<int>(width);
    result.height = static_cast<int>(height);
    result.pixels.assign(static_cast<std::size_t>(result.width) * result.height, 0);
    const auto& bitmap = source.bitmap();
    if (bitmap && bitmap->width > 0 && bitmap->height > 0 &&
        bitmap->pixels.size() == static_cast<std::size_t>(bitmap->width) * bitmap->height) {
        // QImage only borrows the pixels here; scaled() makes the copy we keep.
        const QImage original(reinterpret_cast<const uchar*>(bitmap->pixels.data()), bitmap->width,
                              bitmap->height, static_cast<qsizetype>(bitmap->width) * 4,
                              QImage::Format_ARGB32_Premultiplied);
        const QImage scaled = original
                                  .scaled(result.width, result.height, Qt::IgnoreAspectRatio,
                                          Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < result.height; ++y) {
            std::memcpy(result.pixels.data() + static_cast<std::size_t>(y) * result.width,
                        scaled.constScanLine(y), static_cast<std::size_t>(result.width) * 4);
        }
    }
    return std::make_shared<const Image>(size, std::move(result));
}

}  // namespace stowbar
