#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ShellPorts.hpp"

namespace stowbar::test {

// The ports of a running application that shows, watches, registers and checks nothing: for
// tests that need a platform but not its shell.
struct InertShell {
    struct : StatusBar {
        bool addStatusItem(const std::string&, const std::string&, std::function<void()>) override {
            return false;
        }
    } statusBar;
    struct : Popover {
        void configure(Size, std::function<void()>) override {}
        bool isShown() const override { return false; }
        void show() override {}
        void close() override {}
        void setContentSize(Size) override {}
        std::optional<Size> preferredContentSize() const override { return std::nullopt; }
    } popover;
    struct : EventMonitor {
        std::optional<Token> addGlobalLeftMouseDownMonitor(std::function<void()>) override {
            return std::nullopt;
        }
        void removeMonitor(Token) override {}
    } eventMonitor;
    struct : DirectoryWatcher {
        std::unique_ptr<DirectoryWatch> watch(const std::string&, std::function<void()>) override {
            return nullptr;
        }
    } directoryWatcher;
    struct : LoginItemService {
        std::string mainBundlePathExtension() const override { return {}; }
        LoginItemStatus status() const override { return LoginItemStatus::notFound; }
        bool registerMainApp() override { return false; }
    } loginItems;
    struct : Alerts {
        int runModal(const AlertDescription&) override { return 0; }
    } alerts;
    struct : Updater {
        bool isAvailable() const override { return false; }
        void start() override {}
        void checkForUpdates() override {}
    } updater;
    ShellPorts ports{statusBar,  popover, eventMonitor, directoryWatcher,
                     loginItems, alerts,  updater};
};

}  // namespace stowbar::test
