#pragma once

#include <ApplicationServices/ApplicationServices.h>

#include "platform/Accessibility.hpp"

namespace stowbar {

// Turns an attribute value handed out by an Accessibility Copy call into the port's value, and
// takes over the one reference that call handed out. An element becomes a handle, an array made
// only of elements a list of handles, an AXValue its point, size, rect or range; anything else
// is an "other" value. Each element it hands back gets the messaging timeout `timeout`
// (0: the system's default) and holds a reference of its own.
//
// Kept apart from MacAccessibility so that it can be checked with values made in the test
// itself, which needs neither Accessibility trust nor another application.
//
// Threading: any thread; it touches only the value it is given.
AXAttributeValue translateAttributeValue(CFTypeRef owned, float timeout);

}  // namespace stowbar
