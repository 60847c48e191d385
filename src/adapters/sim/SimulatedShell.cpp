#include "adapters/sim/SimulatedShell.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/HiddenItemPanelModel.hpp"
#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"
#include "platform/ShellPorts.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar {

bool SimulatedStatusBar::addStatusItem(const std::string& symbol, const std::string& description,
                                       std::function<void()> action) {
    ++itemsAdded;
    symbolName = symbol;
    accessibilityDescription = description;
    action_ = std::move(action);
    return true;
}

void SimulatedStatusBar::click() {
    if (action_) {
        auto action = action_;
        action();
    }
}

void SimulatedPopover::configure(Size contentSize, std::function<void()> didShow) {
    contentSize_ = contentSize;
    didShow_ = std::move(didShow);
}

void SimulatedPopover::show() {
    if (shown_) {
        return;
    }
    shown_ = true;
    if (onChange) {
        onChange(true, contentSize_);
    }
    if (didShow_) {
        if (loop == nullptr) {
            std::fprintf(stderr, "Stowbar: SimulatedPopover shown before its loop was set\n");
            std::abort();
        }
        loop->post([self = std::weak_ptr<SimulatedPopover*>(self_)] {
            if (const auto popover = self.lock(); popover && (*popover)->didShow_) {
                auto didShow = (*popover)->didShow_;
                didShow();
            }
        });
    }
}

void SimulatedPopover::setContentSize(Size size) {
    const bool changed = size != contentSize_;
    contentSize_ = size;
    if (shown_ && changed && onChange) {
        onChange(true, contentSize_);
    }
}

void SimulatedPopover::close() {
    if (!shown_) {
        return;
    }
    shown_ = false;
    if (onChange) {
        onChange(false, contentSize_);
    }
}

std::optional<EventMonitor::Token> SimulatedEventMonitor::addGlobalLeftMouseDownMonitor(
    std::function<void()> handler) {
    monitors_.emplace(++lastToken_, std::move(handler));
    return lastToken_;
}

void SimulatedEventMonitor::removeMonitor(Token token) {
    monitors_.erase(token);
}

void SimulatedEventMonitor::clickElsewhere(bool leftButton) {
    if (!leftButton) {
        return;
    }
    auto handlers = monitors_;
    for (auto& [token, handler] : handlers) {
        if (monitors_.count(token) != 0) {
            handler();
        }
    }
}

namespace {

class SimulatedWatch final : public DirectoryWatch {
  public:
    using Watches = std::map<std::uint64_t, std::pair<std::string, std::function<void()>>>;
    SimulatedWatch(std::weak_ptr<Watches> watches, std::uint64_t id)
        : watches_(std::move(watches)), id_(id) {}
    ~SimulatedWatch() override { cancel(); }
    SimulatedWatch(const SimulatedWatch&) = delete;
    SimulatedWatch& operator=(const SimulatedWatch&) = delete;
    void cancel() override {
        if (auto watches = watches_.lock()) {
            watches->erase(id_);
        }
    }

  private:
    std::weak_ptr<Watches> watches_;
    std::uint64_t id_;
};

}  // namespace

std::unique_ptr<DirectoryWatch> SimulatedDirectoryWatcher::watch(const std::string& directory,
                                                                 std::function<void()> onEvent) {
    // Only a directory can be opened for watching; a plain file at the path gives no watch.
    std::error_code error;
    if (!files_.attributes(directory) || !std::filesystem::is_directory(directory, error)) {
        return nullptr;
    }
    watches_->emplace(++lastId_, std::make_pair(directory, std::move(onEvent)));
    return std::make_unique<SimulatedWatch>(watches_, lastId_);
}

void SimulatedDirectoryWatcher::changed(const std::string& directory) {
    std::vector<std::uint64_t> chosen;
    for (const auto& [id, watch] : *watches_) {
        if (watch.first == directory) {
            chosen.push_back(id);
        }
    }
    for (const auto id : chosen) {
        const auto found = watches_->find(id);
        if (found != watches_->end()) {
            auto callback = found->second.second;
            callback();
        }
    }
}

void SimulatedPanelHost::setPanelActions(PanelActions panelActions) {
    actions = panelActions;
    if (display != nullptr) {
        display->setPanelActions(std::move(panelActions));
    }
}

namespace {

bool sameRows(const std::vector<StatusItemInfo>& a, const std::vector<StatusItemInfo>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.id == y.id && x.appName == y.appName && x.icon == y.icon;
    });
}

}  // namespace

void SimulatedPanelHost::setPanelInputs(const PanelInputs& newInputs) {
    inputs = newInputs;
    if (display != nullptr) {
        display->setPanelInputs(newInputs);
    }
    auto content = HiddenItemPanelModel::describe(newInputs);
    const bool changed = !shown_ || shown_->state != content.state ||
                         shown_->hiddenItemCount != content.hiddenItemCount ||
                         !sameRows(shown_->rows, content.rows);
    if (!changed) {
        return;
    }
    shown_ = std::move(content);
    if (onChange) {
        onChange(*shown_);
    }
}

bool SimulatedPanelHost::clickRow(std::size_t index) const {
    if (!inputs) {
        return false;
    }
    const auto content = HiddenItemPanelModel::describe(*inputs);
    if (index >= content.rows.size()) {
        return false;
    }
    HiddenItemPanelModel(actions).activate(content.rows[index]);
    return true;
}

bool SimulatedPanelHost::clickUpdates() const {
    if (!actions.offersUpdates) {
        return false;
    }
    HiddenItemPanelModel(actions).checkForUpdates();
    return true;
}

bool SimulatedPanelHost::clickQuit() const {
    HiddenItemPanelModel(actions).quit();
    return true;
}

bool SimulatedPanelHost::clickOpenSettings() const {
    if (!inputs) {
        return false;
    }
    const auto content = HiddenItemPanelModel::describe(*inputs);
    if (!content.prompt || !HiddenItemPanelModel(actions).offersSettings()) {
        return false;
    }
    HiddenItemPanelModel(actions).openSettings(*content.prompt);
    return true;
}

bool SimulatedLoginItemService::registerMainApp() {
    ++registrations;
    const bool ok = registrationSucceeds;
    if (ok && currentStatus != LoginItemStatus::requiresApproval) {
        currentStatus = LoginItemStatus::enabled;
    }
    if (onRegister) {
        onRegister(ok);
    }
    return ok;
}

int SimulatedAlerts::runModal(const AlertDescription& alert) {
    shown.push_back(alert);
    if (onAlert) {
        onAlert(alert);
    }
    return 0;
}

void SimulatedUpdater::checkForUpdates() {
    if (!available) {
        return;
    }
    ++checks;
    if (onCheck) {
        onCheck();
    }
}

}  // namespace stowbar
