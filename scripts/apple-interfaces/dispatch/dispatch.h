// Dispatch (libdispatch) as a C interface, as documented at
// developer.apple.com/documentation/dispatch. The files that use it are C++, where dispatch objects
// are plain pointers and are released with dispatch_release (in Objective-C under ARC they are
// objects instead).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// page: dispatch_object_t (in C++ each kind of object derives from it)
typedef struct dispatch_object_s {
} * dispatch_object_t;
typedef struct dispatch_queue_s : dispatch_object_s{} * dispatch_queue_t;  // page: dispatch_queue_t
typedef struct dispatch_source_s : dispatch_object_s{} *
                                   dispatch_source_t;  // page: dispatch_source_t
typedef const struct dispatch_source_type_s*
    dispatch_source_type_t;                  // page: dispatch_source_type_t
typedef void (*dispatch_function_t)(void*);  // page: dispatch_function_t

extern const struct dispatch_source_type_s _dispatch_source_type_vnode;
extern const struct dispatch_source_type_s _dispatch_source_type_signal;
#define DISPATCH_SOURCE_TYPE_VNODE \
    (&_dispatch_source_type_vnode)  // page: DISPATCH_SOURCE_TYPE_VNODE
#define DISPATCH_SOURCE_TYPE_SIGNAL \
    (&_dispatch_source_type_signal)  // page: DISPATCH_SOURCE_TYPE_SIGNAL

// page: dispatch_source_vnode_flags_t
typedef unsigned long dispatch_source_vnode_flags_t;
#define DISPATCH_VNODE_DELETE 0x1
#define DISPATCH_VNODE_WRITE 0x2
#define DISPATCH_VNODE_EXTEND 0x4
#define DISPATCH_VNODE_ATTRIB 0x8
#define DISPATCH_VNODE_LINK 0x10
#define DISPATCH_VNODE_RENAME 0x20
#define DISPATCH_VNODE_REVOKE 0x40

dispatch_queue_t dispatch_get_main_queue(void);  // page: dispatch_get_main_queue
// page: dispatch_source_create
dispatch_source_t dispatch_source_create(dispatch_source_type_t type, uintptr_t handle,
                                         unsigned long mask, dispatch_queue_t queue);
void dispatch_set_context(dispatch_object_t object, void* context);  // page: dispatch_set_context
// page: dispatch_source_set_event_handler_f
void dispatch_source_set_event_handler_f(dispatch_source_t source, dispatch_function_t handler);
// page: dispatch_source_set_cancel_handler_f
void dispatch_source_set_cancel_handler_f(dispatch_source_t source, dispatch_function_t handler);
void dispatch_resume(dispatch_object_t object);         // page: dispatch_resume
void dispatch_source_cancel(dispatch_source_t source);  // page: dispatch_source_cancel
void dispatch_release(dispatch_object_t object);        // page: dispatch_release
// page: dispatch_source_get_data
unsigned long dispatch_source_get_data(dispatch_source_t source);

#ifdef __cplusplus
}
#endif
