#pragma once

#include <QImage>

#include <cstddef>
#include <string>
#include <string_view>

namespace stowbar::qt {

class HiddenItemPanel;

// The panel worked from outside, where there is no mouse: stowbar-sim's script and the tests
// move its one pointer, click its controls and take pictures of it through this. The pointer
// and the clicks take the same paths as a real mouse's; the keyboard needs no driver, as the
// panel's own pressKey() and typeText() are the way a real key takes.
//
// Threading: main thread only, like the panel. A driver only refers to its panel: it is made
// where it is needed and must not outlive the panel.
class PanelDriver {
  public:
    explicit PanelDriver(HiddenItemPanel& panel) : panel_(panel) {}

    // Each hover moves the one pointer: whatever it was over before is left. hoverRow and
    // clickRow return false for an index with no row; clickButton takes "Updates", "Quit" or
    // "Open Settings" and returns false when no such button is shown.
    void hoverQuit();
    void hoverUpdates();
    bool hoverRow(std::size_t index);
    void clearHover();
    bool clickRow(std::size_t index);
    bool clickButton(std::string_view label);

    // The panel as drawn on a popover: its natural size at `devicePixelRatio` pixels per
    // point, on the popover's fill, clipped to the panel's rounded shape. The progress
    // indicator is drawn in one fixed frame so that pictures are the same on every run.
    QImage renderImage(double devicePixelRatio = 2);
    // renderImage() saved as a PNG file; false when the file could not be written.
    bool renderSnapshot(const std::string& pngPath);

  private:
    HiddenItemPanel& panel_;
};

}  // namespace stowbar::qt
