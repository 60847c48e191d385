// The Accessibility client interface (HIServices) of ApplicationServices, as documented at
// developer.apple.com/documentation/applicationservices/axuielement_h and .../axvalue_h.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const struct __AXUIElement* AXUIElementRef;  // page: AXUIElement
typedef const struct __AXValue* AXValueRef;          // page: AXValue

typedef enum AXError : int32_t {  // page: AXError
    kAXErrorSuccess = 0,
    kAXErrorFailure = -25200,
    kAXErrorIllegalArgument = -25201,
    kAXErrorInvalidUIElement = -25202,
    kAXErrorInvalidUIElementObserver = -25203,
    kAXErrorCannotComplete = -25204,
    kAXErrorAttributeUnsupported = -25205,
    kAXErrorActionUnsupported = -25206,
    kAXErrorNotificationUnsupported = -25207,
    kAXErrorNotImplemented = -25208,
    kAXErrorNotificationAlreadyRegistered = -25209,
    kAXErrorNotificationNotRegistered = -25210,
    kAXErrorAPIDisabled = -25211,
    kAXErrorNoValue = -25212,
    kAXErrorParameterizedAttributeUnsupported = -25213,
    kAXErrorNotEnoughPrecision = -25214
} AXError;

typedef enum AXValueType : uint32_t {  // page: AXValueType
    kAXValueTypeIllegal = 0,
    kAXValueTypeCGPoint = 1,
    kAXValueTypeCGSize = 2,
    kAXValueTypeCGRect = 3,
    kAXValueTypeCFRange = 4,
    kAXValueTypeAXError = 5
} AXValueType;

Boolean AXIsProcessTrusted(void);                        // page: AXIsProcessTrusted()
CFTypeID AXUIElementGetTypeID(void);                     // page: AXUIElementGetTypeID()
AXUIElementRef AXUIElementCreateApplication(pid_t pid);  // page: AXUIElementCreateApplication(_:)
// page: AXUIElementSetMessagingTimeout(_:_:)
AXError AXUIElementSetMessagingTimeout(AXUIElementRef element, float timeoutInSeconds);
// page: AXUIElementCopyAttributeValue(_:_:_:)
AXError AXUIElementCopyAttributeValue(AXUIElementRef element, CFStringRef attribute,
                                      CFTypeRef* value);
// page: AXUIElementPerformAction(_:_:)
AXError AXUIElementPerformAction(AXUIElementRef element, CFStringRef action);

CFTypeID AXValueGetTypeID(void);               // page: AXValueGetTypeID()
AXValueType AXValueGetType(AXValueRef value);  // page: AXValueGetType(_:)
// page: AXValueGetValue(_:_:_:)
Boolean AXValueGetValue(AXValueRef value, AXValueType theType, void* valuePtr);
// page: AXValueCreate(_:_:)
AXValueRef AXValueCreate(AXValueType theType, const void* valuePtr);

#ifdef __cplusplus
}
#endif
