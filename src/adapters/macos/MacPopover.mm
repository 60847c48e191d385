// Threading: main thread only (see MacPopover.hpp). Objective-C++ only to activate the
// application; everything else is the shared Qt popover. ARC.

#include "adapters/macos/MacPopover.hpp"

#import <AppKit/AppKit.h>

#include <cmath>
#include <utility>

namespace stowbar {

MacPopover::MacPopover(std::function<std::optional<Rect>()> anchor)
    : QtPopover(Qt::Tool | Qt::WindowStaysOnTopHint), anchor_(std::move(anchor)) {}

std::optional<QRect> MacPopover::anchor() const {
    const std::optional<Rect> frame = anchor_ ? anchor_() : std::nullopt;
    if (!frame) {
        return std::nullopt;
    }
    return QRect(static_cast<int>(std::lround(frame->origin.x)),
                 static_cast<int>(std::lround(frame->origin.y)),
                 static_cast<int>(std::lround(frame->size.width)),
                 static_cast<int>(std::lround(frame->size.height)));
}

void MacPopover::opening() {
    // An agent application is not active while the user works elsewhere; the window can only
    // become the key window once it is.
    [NSApp activate];
}

}  // namespace stowbar
