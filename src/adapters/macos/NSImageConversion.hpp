#pragma once

#include "platform/Image.hpp"

#ifdef __OBJC__
@class NSImage;

namespace stowbar {

// The core's image of an AppKit image: its size in points, with pixels drawn at twice that
// (the density of every current Mac display). Null for a nil image or one that cannot be drawn.
//
// Threading: main thread, as AppKit images are drawn there.
ImageRef imageFromNSImage(NSImage* image);

}  // namespace stowbar
#endif
