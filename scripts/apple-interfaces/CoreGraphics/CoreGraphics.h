// Core Graphics, as documented at developer.apple.com/documentation/coregraphics.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef double CGFloat;       // page: CGFloat (a double on every 64-bit Mac)
typedef uint32_t CGWindowID;  // page: CGWindowID

struct CGPoint {  // page: CGPoint
    CGFloat x;
    CGFloat y;
};
typedef struct CGPoint CGPoint;
struct CGSize {  // page: CGSize
    CGFloat width;
    CGFloat height;
};
typedef struct CGSize CGSize;
struct CGRect {  // page: CGRect
    CGPoint origin;
    CGSize size;
};
typedef struct CGRect CGRect;

CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height);  // page: CGRectMake
CGFloat CGRectGetMaxY(CGRect rect);                                      // page: CGRectGetMaxY

typedef struct CGImage* CGImageRef;            // page: CGImage
typedef struct CGColorSpace* CGColorSpaceRef;  // page: CGColorSpace
typedef struct CGContext* CGContextRef;        // page: CGContext

extern const CFStringRef kCGColorSpaceSRGB;                    // page: sRGB (kCGColorSpaceSRGB)
CGColorSpaceRef CGColorSpaceCreateWithName(CFStringRef name);  // page: CGColorSpaceCreateWithName
void CGColorSpaceRelease(CGColorSpaceRef space);               // page: CGColorSpaceRelease

typedef enum CGImageAlphaInfo : uint32_t {  // page: CGImageAlphaInfo
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7
} CGImageAlphaInfo;

typedef uint32_t CGBitmapInfo;  // an options type: its values combine with |
enum : uint32_t {               // page: CGBitmapInfo
    kCGBitmapAlphaInfoMask = 0x1F,
    kCGBitmapByteOrderDefault = 0 << 12,
    kCGBitmapByteOrder16Little = 1 << 12,
    kCGBitmapByteOrder32Little = 2 << 12,
    kCGBitmapByteOrder16Big = 3 << 12,
    kCGBitmapByteOrder32Big = 4 << 12
};

// page: CGBitmapContextCreate
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo);
// page: CGBitmapContextCreateImage
CGImageRef CGBitmapContextCreateImage(CGContextRef context);
void CGImageRelease(CGImageRef image);                                   // page: CGImageRelease
void CGContextRelease(CGContextRef c);                                   // page: CGContextRelease
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);  // page: CGContextDrawImage

typedef enum CGInterpolationQuality : int32_t {  // page: CGInterpolationQuality
    kCGInterpolationDefault = 0,
    kCGInterpolationNone = 1,
    kCGInterpolationLow = 2,
    kCGInterpolationMedium = 4,
    kCGInterpolationHigh = 3
} CGInterpolationQuality;
// page: CGContextSetInterpolationQuality
void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality);

#ifdef __cplusplus
}
#endif
