// Threading: main thread only; observers on the main queue (see MacWorkspace.hpp). ARC.

#include "adapters/macos/MacWorkspace.hpp"

#import <AppKit/AppKit.h>

#include <map>
#include <utility>

#include "adapters/macos/NSImageConversion.hpp"

namespace stowbar {

namespace {

std::optional<std::string> text(NSString* string) {
    if (string == nil) {
        return std::nullopt;
    }
    const char* bytes = string.UTF8String;
    return bytes != nullptr ? std::optional<std::string>(bytes) : std::nullopt;
}

}  // namespace

struct MacWorkspace::Observers {
    struct Entry {
        id registration;
        std::function<void()> handler;
    };
    std::map<ObserverToken, Entry> entries;
    ObserverToken lastToken = 0;
};

MacWorkspace::MacWorkspace() : observers_(std::make_shared<Observers>()) {}

MacWorkspace::~MacWorkspace() {
    NSNotificationCenter* center = [NSWorkspace sharedWorkspace].notificationCenter;
    for (auto& entry : observers_->entries) {
        [center removeObserver:entry.second.registration];
    }
    observers_->entries.clear();
}

std::vector<RunningApplication> MacWorkspace::runningApplications() const {
    std::vector<RunningApplication> result;
    for (NSRunningApplication* application in [NSWorkspace sharedWorkspace].runningApplications) {
        RunningApplication entry;
        entry.pid = static_cast<std::int32_t>(application.processIdentifier);
        entry.activationPolicy = static_cast<ActivationPolicy>(application.activationPolicy);
        entry.localizedName = text(application.localizedName);
        entry.bundleIdentifier = text(application.bundleIdentifier);
        entry.icon = imageFromNSImage(application.icon);
        result.push_back(std::move(entry));
    }
    return result;
}

Workspace::ObserverToken MacWorkspace::addObserver(WorkspaceNotification notification,
                                                   std::function<void()> handler) {
    NSNotificationName name = notification == WorkspaceNotification::didLaunchApplication
                                  ? NSWorkspaceDidLaunchApplicationNotification
                                  : NSWorkspaceDidTerminateApplicationNotification;
    const ObserverToken token = ++observers_->lastToken;
    // The block holds the table weakly: a notification that arrives after this object is gone
    // finds nothing to call.
    std::weak_ptr<Observers> weakObservers = observers_;
    id registration = [[NSWorkspace sharedWorkspace].notificationCenter
        addObserverForName:name
                    object:nil
                     queue:[NSOperationQueue mainQueue]
                usingBlock:^(NSNotification*) {
                  const auto table = weakObservers.lock();
                  if (!table) {
                      return;
                  }
                  const auto found = table->entries.find(token);
                  if (found != table->entries.end()) {
                      // A copy, as the handler may remove its own observer.
                      const auto call = found->second.handler;
                      call();
                  }
                }];
    observers_->entries.emplace(token, Observers::Entry{registration, std::move(handler)});
    return token;
}

void MacWorkspace::removeObserver(ObserverToken token) {
    const auto found = observers_->entries.find(token);
    if (found == observers_->entries.end()) {
        return;
    }
    [[NSWorkspace sharedWorkspace].notificationCenter removeObserver:found->second.registration];
    observers_->entries.erase(found);
}

bool MacWorkspace::canOpenURL(const std::string& url) const {
    NSString* string = [NSString stringWithUTF8String:url.c_str()];
    NSURL* target = string != nil ? [NSURL URLWithString:string] : nil;
    // System Settings, the only handler the program asks for, is part of every macOS.
    return target != nil;
}

void MacWorkspace::openURL(const std::string& url) {
    NSString* string = [NSString stringWithUTF8String:url.c_str()];
    NSURL* target = string != nil ? [NSURL URLWithString:string] : nil;
    if (target != nil) {
        [[NSWorkspace sharedWorkspace] openURL:target];
    }
}

}  // namespace stowbar
