#pragma once

#include "platform/Image.hpp"

namespace stowbar {

// Draws images into new images.
//
// Threading: main thread; synchronous; stateless.
class ImageRenderer {
  public:
    virtual ~ImageRenderer() = default;

    // A new image of `size` points holding the whole of `source` scaled to fill it (aspect
    // ratio not kept). A source without pixels (a symbol, the empty image) yields a new image of
    // that size showing the same symbol, or nothing.
    virtual ImageRef redraw(const Image& source, Size size) const = 0;
};

}  // namespace stowbar
