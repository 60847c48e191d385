#pragma once

#include "platform/Image.hpp"

namespace stowbar {

// Draws images into new images.
//
// Threading: any thread, also several at once; synchronous; stateless. A refresh draws its
// initial icons on its background job, so that the main thread never waits for a redraw.
class ImageRenderer {
  public:
    virtual ~ImageRenderer() = default;

    // A new image of `size` points holding the whole of `source` scaled to fill it (aspect
    // ratio not kept). A source without pixels (a symbol, the empty image) yields a new image of
    // that size showing the same symbol, or nothing.
    virtual ImageRef redraw(const Image& source, Size size) const = 0;
};

}  // namespace stowbar
