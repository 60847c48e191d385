#include "sim-main/DrawnPanel.hpp"

#include <QCoreApplication>
#include <QEvent>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "adapters/qt/HiddenItemPanel.hpp"
#include "adapters/qt/PanelDriver.hpp"
#include "adapters/sim/SimulatedDesktop.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/HiddenItemPanelNavigator.hpp"
#include "platform/PanelHost.hpp"
#include "sim-main/ScriptedApplication.hpp"

namespace stowbar {

DrawnPanel::DrawnPanel(ScriptedApplication& application, SimulatedShell& shell,
                       std::optional<std::string> snapshotFolder)
    : application_(application), shell_(shell), snapshotFolder_(std::move(snapshotFolder)) {
    shell_.panel.display = this;
    widgets_.onRedraw = [this](qt::HiddenItemPanel&) {
        shell_.popover.preferred = widgets_.preferredSize();
    };
    application_.panelPointer = [this](const script::Event& event) {
        perform(event);
    };
    // The drawn panel stays shown offscreen, so it hears of the popover opening and closing
    // through the application.
    application_.onPopoverShown = [this](bool shown) {
        if (auto* panel = widgets_.panel()) {
            shown ? panel->popoverDidOpen() : panel->popoverDidClose();
        }
    };
    // Nothing runs Qt's own loop here, so what the panel posted to itself (queued updates,
    // layout and paint requests) is delivered between jobs, as a real loop delivers it, and the
    // widgets it let go of are deleted then too: outside a running loop Qt deletes them only
    // when asked by name. Left in Qt's queue, they would pile up, and every later delivery
    // would walk past all of them.
    application_.betweenJobs = [] {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    application_.onPanelChange = [this](const PanelContent&) {
        takeSnapshot();
    };
}

void DrawnPanel::setPanelActions(PanelActions actions) {
    widgets_.setPanelActions(std::move(actions));
    attachKeyboard();
}

void DrawnPanel::setPanelInputs(const PanelInputs& inputs) {
    widgets_.setPanelInputs(inputs);
}

void DrawnPanel::attachKeyboard() {
    auto* panel = widgets_.panel();
    if (panel == nullptr) {
        return;
    }
    // Pictures follow the keyboard too, so that they show the focus and the filter.
    panel->onFocusChange = [this](const auto& focus) {
        application_.focusMoved(focus);
        takeSnapshot();
    };
    panel->onFilterChange = [this](const std::string& text, std::size_t rows) {
        application_.filterChanged(text, rows);
        takeSnapshot();
    };
    // Escape with no filter closes the popover, as its transient behaviour would.
    panel->onCloseRequest = [this] {
        shell_.popover.close();
    };
}

void DrawnPanel::perform(const script::Event& event) {
    auto* panel = widgets_.panel();
    if (panel == nullptr) {
        return;
    }
    qt::PanelDriver driver(*panel);
    if (const auto* click = std::get_if<script::ClickRow>(&event)) {
        driver.clickRow(click->index);
    } else if (const auto* hover = std::get_if<script::Hover>(&event)) {
        // Scripts point at the footer buttons and the rows, never at "Open Settings".
        if (!hover->target) {
            driver.clearHover();
        } else if (*hover->target == PanelControl::row) {
            driver.hoverRow(hover->index);
        } else if (*hover->target == PanelControl::updates) {
            driver.hoverUpdates();
        } else if (*hover->target == PanelControl::quit) {
            driver.hoverQuit();
        }
    } else if (const auto* button = std::get_if<script::ClickButton>(&event)) {
        // A button is known by the label the user reads on it.
        driver.clickButton(panelControlLabel(button->label));
    } else if (const auto* key = std::get_if<script::Key>(&event)) {
        panel->pressKey(key->key);
    } else if (const auto* typed = std::get_if<script::Type>(&event)) {
        panel->typeText(typed->text);
    }
}

void DrawnPanel::takeSnapshot() {
    auto* panel = widgets_.panel();
    if (!snapshotFolder_ || panel == nullptr) {
        return;
    }
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%s.png", ++snapshotCount_,
                  std::string(panelStateName(panel->state())).c_str());
    const auto path = (std::filesystem::path(*snapshotFolder_) / name).string();
    if (!qt::PanelDriver(*panel).renderSnapshot(path)) {
        std::cerr << "stowbar-sim: cannot write " << path << '\n';
    }
}

}  // namespace stowbar
