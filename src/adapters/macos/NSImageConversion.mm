// Threading: main thread (see NSImageConversion.hpp). Compiled with ARC.

#include "adapters/macos/NSImageConversion.hpp"

#import <AppKit/AppKit.h>

#include <cmath>

#include "adapters/macos/CGImageBitmap.hpp"

namespace stowbar {

ImageRef imageFromNSImage(NSImage* image) {
    if (image == nil) {
        return nullptr;
    }
    const NSSize points = image.size;
    const double width = std::ceil(points.width * 2);
    const double height = std::ceil(points.height * 2);
    if (!(width >= 1 && height >= 1 && width <= 4096 && height <= 4096)) {
        return nullptr;
    }
    NSRect proposed = NSMakeRect(0, 0, width, height);
    CGImageRef drawn = [image CGImageForProposedRect:&proposed context:nil hints:nil];
    auto bitmap =
        bitmapFromCGImage(drawn, static_cast<std::size_t>(width), static_cast<std::size_t>(height));
    if (!bitmap) {
        return nullptr;
    }
    return std::make_shared<const Image>(Size{points.width, points.height}, std::move(bitmap));
}

}  // namespace stowbar
