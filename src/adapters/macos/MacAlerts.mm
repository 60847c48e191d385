// Threading: main thread only (see MacAlerts.hpp). ARC.

#include "adapters/macos/MacAlerts.hpp"

#import <AppKit/AppKit.h>

namespace stowbar {

namespace {

NSString* text(const std::string& string) {
    NSString* converted = [NSString stringWithUTF8String:string.c_str()];
    return converted != nil ? converted : @"";
}

}  // namespace

int MacAlerts::runModal(const AlertDescription& description) {
    NSAlert* alert = [[NSAlert alloc] init];
    alert.alertStyle = static_cast<NSAlertStyle>(description.style);
    alert.messageText = text(description.messageText);
    alert.informativeText = text(description.informativeText);
    for (const std::string& title : description.buttons) {
        [alert addButtonWithTitle:text(title)];
    }
    [NSApp activate];
    const NSModalResponse response = [alert runModal];
    return static_cast<int>(response - NSAlertFirstButtonReturn);
}

}  // namespace stowbar
