#pragma once

#include <QRect>

#include <functional>
#include <optional>

#include "adapters/qt/QtPopover.hpp"
#include "platform/Geometry.hpp"

namespace stowbar {

// The popover on macOS: the shared Qt popover (adapters/qt/QtPopover.hpp) as a tool window that
// stays on top, hung below the status item button's window frame, which `anchor` reports. It
// stays shown while the application is inactive (an agent application is never the active one
// for long) and is made the key window when shown. Clicks elsewhere are the core's business,
// through the global event monitor; this window does not close itself.
//
// Threading: main thread only; didShow is called on a later turn of the Qt loop. Lifetime: must
// be destroyed before the QApplication.
class MacPopover final : public qt::QtPopover {
  public:
    explicit MacPopover(std::function<std::optional<Rect>()> anchor);

  private:
    // QtPopover
    std::optional<QRect> anchor() const override;
    void opening() override;

    std::function<std::optional<Rect>()> anchor_;
};

}  // namespace stowbar
