#pragma once

#include <CoreGraphics/CoreGraphics.h>

#include <optional>

#include "platform/Image.hpp"

namespace stowbar {

// Draws `image` into a bitmap of `width` × `height` pixels in the core's pixel format
// (0xAARRGGBB, premultiplied alpha, rows from the top). Nothing for a null image or a size
// outside 1 to 4096 pixels a side.
//
// Threading: any thread; CoreGraphics bitmap contexts are private to the call.
std::optional<Bitmap> bitmapFromCGImage(CGImageRef image, std::size_t width, std::size_t height);

}  // namespace stowbar
