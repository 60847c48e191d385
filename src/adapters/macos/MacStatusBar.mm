// Threading: main thread only (see MacStatusBar.hpp). ARC.

#include "adapters/macos/MacStatusBar.hpp"

#import <AppKit/AppKit.h>

#include <utility>

#include "adapters/macos/AppKitScreenFrame.hpp"

// The button's target: AppKit sends actions to objects, so the action lives in one.
@interface StowbarStatusItemTarget : NSObject
- (instancetype)initWithAction:(std::function<void()>)action;
- (void)clicked:(id)sender;
@end

@implementation StowbarStatusItemTarget {
    std::function<void()> _action;
}

- (instancetype)initWithAction:(std::function<void()>)action {
    self = [super init];
    if (self != nil) {
        _action = std::move(action);
    }
    return self;
}

- (void)clicked:(id)sender {
    (void)sender;
    if (_action) {
        const auto call = _action;
        call();
    }
}

@end

namespace stowbar {

namespace {

Rect rectOf(NSRect rect) {
    return Rect{Point{rect.origin.x, rect.origin.y}, Size{rect.size.width, rect.size.height}};
}

}  // namespace

struct MacStatusBar::Item {
    NSStatusItem* statusItem = nil;
    // The button holds its target weakly; this keeps it.
    StowbarStatusItemTarget* target = nil;
};

MacStatusBar::MacStatusBar() : item_(std::make_unique<Item>()) {}

MacStatusBar::~MacStatusBar() {
    if (item_->statusItem != nil) {
        [[NSStatusBar systemStatusBar] removeStatusItem:item_->statusItem];
    }
}

bool MacStatusBar::addStatusItem(const std::string& symbolName,
                                 const std::string& accessibilityDescription,
                                 std::function<void()> action) {
    if (item_->statusItem != nil) {
        return false;
    }
    item_->statusItem =
        [[NSStatusBar systemStatusBar] statusItemWithLength:NSSquareStatusItemLength];
    NSStatusBarButton* button = item_->statusItem.button;
    if (button == nil) {
        return false;
    }
    NSImage* image = [NSImage imageWithSystemSymbolName:@(symbolName.c_str())
                               accessibilityDescription:@(accessibilityDescription.c_str())];
    // `template` is a C++ keyword, so the setter is called by its name.
    [image setTemplate:YES];
    button.image = image;
    item_->target = [[StowbarStatusItemTarget alloc] initWithAction:std::move(action)];
    button.target = item_->target;
    button.action = @selector(clicked:);
    return true;
}

std::optional<Rect> MacStatusBar::buttonFrame() const {
    NSWindow* window = item_->statusItem.button.window;
    NSScreen* mainDisplay = [NSScreen screens].firstObject;
    if (window == nil || mainDisplay == nil) {
        return std::nullopt;
    }
    return topLeftFrame(rectOf(mainDisplay.frame), rectOf(window.frame));
}

}  // namespace stowbar
