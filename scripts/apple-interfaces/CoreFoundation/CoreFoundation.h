// Core Foundation, as documented at developer.apple.com/documentation/corefoundation.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char Boolean;                       // page: Boolean
typedef uint8_t UInt8;                               // page: UInt8
typedef uint32_t UInt32;                             // page: UInt32
typedef long CFIndex;                                // page: CFIndex
typedef unsigned long CFTypeID;                      // page: CFTypeID
typedef unsigned long CFOptionFlags;                 // page: CFOptionFlags
typedef double CFTimeInterval;                       // page: CFTimeInterval
typedef const void* CFTypeRef;                       // page: CFTypeRef
typedef const struct __CFString* CFStringRef;        // page: CFString
typedef const struct __CFArray* CFArrayRef;          // page: CFArray
typedef const struct __CFAllocator* CFAllocatorRef;  // page: CFAllocator
typedef UInt32 CFStringEncoding;                     // page: CFStringEncoding

typedef struct {  // page: CFRange
    CFIndex location;
    CFIndex length;
} CFRange;

extern const CFAllocatorRef kCFAllocatorDefault;  // page: kCFAllocatorDefault

enum { kCFStringEncodingUTF8 = 0x08000100 };  // page: CFStringBuiltInEncodings

CFTypeRef CFRetain(CFTypeRef cf);    // page: CFRetain
void CFRelease(CFTypeRef cf);        // page: CFRelease
CFTypeID CFGetTypeID(CFTypeRef cf);  // page: CFGetTypeID

// page: CFStringCreateWithBytes
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);

// Only ever passed by address, so left incomplete.
typedef struct CFArrayCallBacks CFArrayCallBacks;     // page: CFArrayCallBacks
extern const CFArrayCallBacks kCFTypeArrayCallBacks;  // page: kCFTypeArrayCallBacks
// page: CFArrayCreate(_:_:_:_:)
CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
CFTypeID CFArrayGetTypeID(void);               // page: CFArrayGetTypeID
CFIndex CFArrayGetCount(CFArrayRef theArray);  // page: CFArrayGetCount
const void* CFArrayGetValueAtIndex(CFArrayRef theArray,
                                   CFIndex idx);  // page: CFArrayGetValueAtIndex

typedef CFStringRef CFRunLoopMode;                 // page: CFRunLoopMode
extern const CFRunLoopMode kCFRunLoopDefaultMode;  // page: kCFRunLoopDefaultMode
typedef int32_t CFRunLoopRunResult;                // page: CFRunLoopRunResult
// page: CFRunLoopRunInMode(_:_:_:)
CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds,
                                      Boolean returnAfterSourceHandled);

#ifdef __cplusplus
}
#endif
