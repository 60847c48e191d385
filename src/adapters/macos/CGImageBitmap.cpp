// Threading: any thread (see CGImageBitmap.hpp).

#include "adapters/macos/CGImageBitmap.hpp"

namespace stowbar {

namespace {

constexpr std::size_t kMaximumSide = 4096;

}  // namespace

std::optional<Bitmap> bitmapFromCGImage(CGImageRef image, std::size_t width, std::size_t height) {
    if (image == nullptr || width < 1 || height < 1 || width > kMaximumSide ||
        height > kMaximumSide) {
        return std::nullopt;
    }
    Bitmap bitmap;
    bitmap.width = static_cast<int>(width);
    bitmap.height = static_cast<int>(height);
    bitmap.pixels.assign(width * height, 0);
    CGColorSpaceRef space = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
    // Premultiplied alpha first, in a 32-bit little-endian word: each pixel reads back as
    // 0xAARRGGBB, the core's own layout.
    CGContextRef context = CGBitmapContextCreate(
        bitmap.pixels.data(), width, height, 8, width * sizeof(std::uint32_t), space,
        static_cast<std::uint32_t>(kCGImageAlphaPremultipliedFirst) |
            static_cast<std::uint32_t>(kCGBitmapByteOrder32Little));
    CGColorSpaceRelease(space);
    if (context == nullptr) {
        return std::nullopt;
    }
    CGContextSetInterpolationQuality(context, kCGInterpolationHigh);
    // CoreGraphics puts the origin at the bottom-left, yet the context's memory starts with
    // the top row, so the image lands the right way up in the buffer.
    CGContextDrawImage(context,
                       CGRectMake(0, 0, static_cast<CGFloat>(width), static_cast<CGFloat>(height)),
                       image);
    CGContextRelease(context);
    return bitmap;
}

}  // namespace stowbar
