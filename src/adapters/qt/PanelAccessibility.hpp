#pragma once

#include <functional>

class QWidget;

namespace stowbar::qt {

// What assistive technologies read of the panel, through Qt's accessibility interfaces (AT-SPI
// on Linux, the same interfaces on macOS):
//
// - each row is a button named after its application, described as "Hidden menu bar item",
//   with a press action that does what a click does; its index and the count are its place
//   among its siblings in the list;
// - each symbol is a graphic named for what it stands for ("Accessibility", "Full Disk Access",
//   "No hidden items"), and the progress indicator is named "Scanning";
// - buttons the panel hides for good, because the platform does not offer what they do
//   ("Updates" without an updater), are left out of the tree, not merely marked invisible;
// - popup windows the shell names (the popover, titled "Stowbar") are children of the
//   application while they are shown: Qt leaves popups out of the application's tree, which
//   would leave a screen reader browsing Stowbar with nothing to find.
//
// Threading: main thread only. Installing twice does nothing more.
void installPanelAccessibility();

// Makes `isListedPopup` the test of which shown popup windows the application lists as its
// children. Replaces the previous test.
void listPopupsInAccessibilityTree(std::function<bool(const QWidget&)> isListedPopup);

}  // namespace stowbar::qt
