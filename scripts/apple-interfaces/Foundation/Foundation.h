// Foundation, as documented at developer.apple.com/documentation/foundation and
// developer.apple.com/documentation/objectivec. Only what the program's files call.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <sys/types.h>

typedef long NSInteger;            // page: NSInteger
typedef unsigned long NSUInteger;  // page: NSUInteger
typedef bool BOOL;                 // page: BOOL (a bool on Apple silicon and in 64-bit code)
#define YES __objc_yes             // page: YES
#define NO __objc_no               // page: NO
#define nil nullptr                // page: nil
typedef double NSTimeInterval;     // page: NSTimeInterval
typedef CGPoint NSPoint;           // page: NSPoint
typedef CGSize NSSize;             // page: NSSize
typedef CGRect NSRect;             // page: NSRect

NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h);  // page: NSMakeRect
CGFloat NSMaxY(NSRect aRect);                                   // page: NSMaxY

@class NSString;

// page: NSObject (protocol)
@protocol NSObject
- (BOOL)isEqual:(id)object;
@end

// page: NSObject (class)
__attribute__((objc_root_class))
@interface NSObject<NSObject> {
    Class isa;
}
+ (instancetype)alloc;
+ (instancetype)new;
- (instancetype)init;
@end

// page: NSFastEnumeration
typedef struct {
    unsigned long state;
    __unsafe_unretained id* itemsPtr;
    unsigned long* mutationsPtr;
    unsigned long extra[5];
} NSFastEnumerationState;
@protocol NSFastEnumeration
- (NSUInteger)countByEnumeratingWithState:(NSFastEnumerationState*)state
                                  objects:(__unsafe_unretained id[])buffer
                                    count:(NSUInteger)len;
@end

// page: NSString
@interface NSString : NSObject
+ (instancetype)stringWithUTF8String:(const char*)nullTerminatedCString;
@property(readonly) const char* UTF8String;
@end

// page: NSArray
@interface NSArray<__covariant ObjectType> : NSObject <NSFastEnumeration>
@property(readonly) NSUInteger count;
@property(readonly) ObjectType firstObject;
- (ObjectType)objectAtIndex:(NSUInteger)index;
- (ObjectType)objectAtIndexedSubscript:(NSUInteger)idx;
@end

// page: NSDictionary
@interface NSDictionary<KeyType, __covariant ObjectType> : NSObject
- (ObjectType)objectForKey:(KeyType)aKey;
- (ObjectType)objectForKeyedSubscript:(KeyType)key;
@end

// page: NSNumber
@interface NSNumber : NSObject
@property(readonly) NSUInteger unsignedIntegerValue;
@end

// page: NSError
@interface NSError : NSObject
@end

// page: NSURL
@interface NSURL : NSObject
+ (instancetype)URLWithString:(NSString*)URLString;
@property(readonly, copy) NSString* pathExtension;
@end

// page: NSBundle
@interface NSBundle : NSObject
@property(class, readonly, strong) NSBundle* mainBundle;
@property(readonly, copy) NSURL* bundleURL;
@end

// page: NSOperatingSystemVersion
typedef struct {
    NSInteger majorVersion;
    NSInteger minorVersion;
    NSInteger patchVersion;
} NSOperatingSystemVersion;

// page: NSProcessInfo
@interface NSProcessInfo : NSObject
@property(class, readonly, strong) NSProcessInfo* processInfo;
@property(readonly) int processIdentifier;
@property(readonly) NSOperatingSystemVersion operatingSystemVersion;
@property(readonly) NSTimeInterval systemUptime;
@end

typedef NSString* NSNotificationName;  // page: NSNotificationName

// page: NSNotification
@interface NSNotification : NSObject
@property(readonly, copy) NSNotificationName name;
@end

// page: NSOperationQueue
@interface NSOperationQueue : NSObject
@property(class, readonly, strong) NSOperationQueue* mainQueue;
@end

// page: NSNotificationCenter
@interface NSNotificationCenter : NSObject
- (id<NSObject>)addObserverForName:(NSNotificationName)name
                            object:(id)obj
                             queue:(NSOperationQueue*)queue
                        usingBlock:(void (^)(NSNotification* notification))block;
- (void)removeObserver:(id)observer;
@end

// Key-value observing. page: NSKeyValueObservingOptions
typedef NSUInteger NSKeyValueObservingOptions;  // an options type: its values combine with |
enum : NSUInteger {
    NSKeyValueObservingOptionNew = 0x01,
    NSKeyValueObservingOptionOld = 0x02,
    NSKeyValueObservingOptionInitial = 0x04,
    NSKeyValueObservingOptionPrior = 0x08
};
// page: NSKeyValueChange
typedef enum NSKeyValueChange : NSUInteger {
    NSKeyValueChangeSetting = 1,
    NSKeyValueChangeInsertion = 2,
    NSKeyValueChangeRemoval = 3,
    NSKeyValueChangeReplacement = 4
} NSKeyValueChange;
typedef NSString* NSKeyValueChangeKey;                     // page: NSKeyValueChangeKey
extern NSKeyValueChangeKey const NSKeyValueChangeKindKey;  // page: NSKeyValueChangeKindKey
extern NSKeyValueChangeKey const NSKeyValueChangeNewKey;   // page: NSKeyValueChangeNewKey
extern NSKeyValueChangeKey const NSKeyValueChangeOldKey;   // page: NSKeyValueChangeOldKey

// page: NSKeyValueObserving (informal protocol on NSObject)
@interface NSObject (NSKeyValueObserving)
- (void)observeValueForKeyPath:(NSString*)keyPath
                      ofObject:(id)object
                        change:(NSDictionary<NSKeyValueChangeKey, id>*)change
                       context:(void*)context;
- (void)addObserver:(NSObject*)observer
         forKeyPath:(NSString*)keyPath
            options:(NSKeyValueObservingOptions)options
            context:(void*)context;
- (void)removeObserver:(NSObject*)observer forKeyPath:(NSString*)keyPath context:(void*)context;
@end
