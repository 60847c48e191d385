#include "adapters/sim/SimulatedWorkspace.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "adapters/sim/SimulatedPictures.hpp"
#include "platform/Workspace.hpp"

namespace stowbar {

std::vector<RunningApplication> SimulatedWorkspace::runningApplications() const {
    const auto state = simulation_.lock();
    const auto icon = [this](std::int32_t pid) {
        auto& drawn = icons_[pid];
        if (!drawn) {
            drawn = simulatedApplicationIcon(pid);
        }
        return drawn;
    };
    std::vector<RunningApplication> running;
    running.reserve(state->desktop.applications.size());
    for (const auto& application : state->desktop.applications) {
        running.push_back(RunningApplication{application.pid, application.activationPolicy,
                                             application.name, application.bundleIdentifier,
                                             application.icon ? icon(application.pid) : nullptr});
    }
    // Pids are not reused while a process runs, so an icon kept for a pid no longer listed
    // belongs to a process that ended; a long run would otherwise keep every one of them.
    // Up to as many again as are running are kept, so that applications relaunched between
    // two listings are not all drawn again on the lister's thread, as a real workspace would
    // not: it hands out the icons it has.
    if (icons_.size() > 2 * running.size()) {
        std::erase_if(icons_, [&state](const auto& entry) {
            return state->application(entry.first) == nullptr;
        });
    }
    return running;
}

Workspace::ObserverToken SimulatedWorkspace::addObserver(WorkspaceNotification notification,
                                                         std::function<void()> handler) {
    observers_.emplace(++lastToken_, std::make_pair(notification, std::move(handler)));
    return lastToken_;
}

void SimulatedWorkspace::removeObserver(ObserverToken token) {
    observers_.erase(token);
}

void SimulatedWorkspace::openURL(const std::string& url) {
    openedURLs_.push_back(url);
    if (onOpenURL) {
        onOpenURL(url);
    }
}

void SimulatedWorkspace::notify(WorkspaceNotification notification) {
    // A handler may remove observers, so the ones to call are chosen first.
    std::vector<ObserverToken> chosen;
    for (const auto& [token, observer] : observers_) {
        if (observer.first == notification) {
            chosen.push_back(token);
        }
    }
    for (const auto token : chosen) {
        const auto found = observers_.find(token);
        if (found != observers_.end()) {
            auto handler = found->second.second;
            handler();
        }
    }
}

}  // namespace stowbar
