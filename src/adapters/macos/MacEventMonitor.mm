// Threading: main thread only (see MacEventMonitor.hpp). ARC.

#include "adapters/macos/MacEventMonitor.hpp"

#import <AppKit/AppKit.h>

#include <map>
#include <utility>

namespace stowbar {

struct MacEventMonitor::Monitors {
    struct Entry {
        id monitor;
        std::function<void()> handler;
    };
    std::map<Token, Entry> entries;
    Token lastToken = 0;
};

MacEventMonitor::MacEventMonitor() : monitors_(std::make_shared<Monitors>()) {}

MacEventMonitor::~MacEventMonitor() {
    for (auto& entry : monitors_->entries) {
        [NSEvent removeMonitor:entry.second.monitor];
    }
    monitors_->entries.clear();
}

std::optional<EventMonitor::Token> MacEventMonitor::addGlobalLeftMouseDownMonitor(
    std::function<void()> handler) {
    const Token token = monitors_->lastToken + 1;
    std::weak_ptr<Monitors> weakMonitors = monitors_;
    id monitor =
        [NSEvent addGlobalMonitorForEventsMatchingMask:NSEventMaskLeftMouseDown
                                               handler:^(NSEvent*) {
                                                 const auto table = weakMonitors.lock();
                                                 if (!table) {
                                                     return;
                                                 }
                                                 const auto found = table->entries.find(token);
                                                 if (found != table->entries.end()) {
                                                     // A copy: the handler may remove
                                                     // its own monitor.
                                                     const auto call = found->second.handler;
                                                     call();
                                                 }
                                               }];
    if (monitor == nil) {
        return std::nullopt;
    }
    monitors_->lastToken = token;
    monitors_->entries.emplace(token, Monitors::Entry{monitor, std::move(handler)});
    return token;
}

void MacEventMonitor::removeMonitor(Token token) {
    const auto found = monitors_->entries.find(token);
    if (found == monitors_->entries.end()) {
        return;
    }
    [NSEvent removeMonitor:found->second.monitor];
    monitors_->entries.erase(found);
}

}  // namespace stowbar
