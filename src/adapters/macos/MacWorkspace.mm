// Threading: main thread only; observers on the main queue (see MacWorkspace.hpp). ARC.

#include "adapters/macos/MacWorkspace.hpp"

#import <AppKit/AppKit.h>

#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "adapters/macos/NSImageConversion.hpp"

// Key-value observation reaches an object, so the call into C++ lives in one.
@interface StowbarRunningApplicationsObserver : NSObject
- (instancetype)initWithChange:(std::function<void()>)onChange;
@end

@implementation StowbarRunningApplicationsObserver {
    std::function<void()> _onChange;
}

- (instancetype)initWithChange:(std::function<void()>)onChange {
    self = [super init];
    if (self != nil) {
        _onChange = std::move(onChange);
    }
    return self;
}

- (void)observeValueForKeyPath:(NSString*)keyPath
                      ofObject:(id)object
                        change:(NSDictionary<NSKeyValueChangeKey, id>*)change
                       context:(void*)context {
    (void)keyPath;
    (void)object;
    (void)change;
    (void)context;
    if (_onChange) {
        const auto call = _onChange;
        call();
    }
}

@end

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

namespace {

NSString* const kRunningApplications = @"runningApplications";

std::set<pid_t> runningProcessIds() {
    std::set<pid_t> ids;
    for (NSRunningApplication* application in [NSWorkspace sharedWorkspace].runningApplications) {
        ids.insert(application.processIdentifier);
    }
    return ids;
}

}  // namespace

struct MacWorkspace::Observers {
    struct Entry {
        WorkspaceNotification notification;
        std::function<void()> handler;
    };
    std::map<ObserverToken, Entry> entries;
    ObserverToken lastToken = 0;
    // The process ids seen at the last change, to tell launches from terminations.
    std::set<pid_t> known;
    StowbarRunningApplicationsObserver* observer = nil;

    void stopObserving() {
        if (observer != nil) {
            [[NSWorkspace sharedWorkspace] removeObserver:observer
                                               forKeyPath:kRunningApplications
                                                  context:nullptr];
            observer = nil;
        }
    }

    // Calls the handlers of each kind of change that happened, each once per change.
    void changed() {
        std::set<pid_t> now = runningProcessIds();
        bool launched = false;
        bool terminated = false;
        for (const pid_t id : now) {
            launched = launched || known.count(id) == 0;
        }
        for (const pid_t id : known) {
            terminated = terminated || now.count(id) == 0;
        }
        known = std::move(now);
        std::vector<ObserverToken> due;
        for (const auto& [token, entry] : entries) {
            if ((launched && entry.notification == WorkspaceNotification::didLaunchApplication) ||
                (terminated &&
                 entry.notification == WorkspaceNotification::didTerminateApplication)) {
                due.push_back(token);
            }
        }
        // Looked up again before each call: a handler may remove itself or another one.
        for (const ObserverToken token : due) {
            const auto found = entries.find(token);
            if (found != entries.end()) {
                const auto call = found->second.handler;
                call();
            }
        }
    }
};

MacWorkspace::MacWorkspace() : observers_(std::make_shared<Observers>()) {}

MacWorkspace::~MacWorkspace() {
    observers_->stopObserving();
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
    const ObserverToken token = ++observers_->lastToken;
    observers_->entries.emplace(token, Observers::Entry{notification, std::move(handler)});
    if (observers_->observer == nil) {
        observers_->known = runningProcessIds();
        // Held weakly: a change that arrives while this object is being destroyed finds nothing.
        std::weak_ptr<Observers> weakObservers = observers_;
        observers_->observer =
            [[StowbarRunningApplicationsObserver alloc] initWithChange:[weakObservers] {
                if (const auto table = weakObservers.lock()) {
                    table->changed();
                }
            }];
        [[NSWorkspace sharedWorkspace]
            addObserver:observers_->observer
             forKeyPath:kRunningApplications
                options:NSKeyValueObservingOptionNew | NSKeyValueObservingOptionOld
                context:nullptr];
    }
    return token;
}

void MacWorkspace::removeObserver(ObserverToken token) {
    observers_->entries.erase(token);
    if (observers_->entries.empty()) {
        observers_->stopObserving();
    }
}

bool MacWorkspace::canOpenURL(const std::string& url) const {
    NSString* string = [NSString stringWithUTF8String:url.c_str()];
    NSURL* target = string != nil ? [NSURL URLWithString:string] : nil;
    // Only the system knows whether some application takes the URL's scheme.
    return target != nil &&
           [[NSWorkspace sharedWorkspace] URLForApplicationToOpenURL:target] != nil;
}

void MacWorkspace::openURL(const std::string& url) {
    NSString* string = [NSString stringWithUTF8String:url.c_str()];
    NSURL* target = string != nil ? [NSURL URLWithString:string] : nil;
    if (target != nil) {
        [[NSWorkspace sharedWorkspace] openURL:target];
    }
}

}  // namespace stowbar
