#pragma once

#include <QPainterPath>
#include <QSize>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "adapters/qt/PanelRows.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/HiddenItemPanelNavigator.hpp"

class QBoxLayout;
class QKeyEvent;
class QVBoxLayout;
class QScrollArea;

namespace stowbar::qt {

class ElidingLabel;
class FilterField;
class FooterButton;
class ProminentButton;
class StatusItemRow;
class SpinnerView;

// The whole content of the popover: one of the five states the model picks, the filter field
// above the list while there is a filter, a divider, and the footer with the count and the
// "Updates" and "Quit" buttons (the count on a line of its own above them when its whole text
// does not fit beside them). It is 200 points wide in every state and exactly as high as its
// content; sizeHint() is that natural size, and the widget fixes itself to it each time the
// content changes.
//
// The panel holds no program data: what it shows comes from setInputs(), and its clicks leave
// through the model's actions. Its own state is where the pointer is (the two footer hover
// flags and the hovered row, which keeps its highlight across redraws while its hidden extra
// keeps its id) and the navigator's keyboard focus and filter.
//
// Pointer and clicks come from real mouse events or from a PanelDriver; both take the same
// paths. So do keys: the panel sees every key pressed inside it first and hands it to its
// navigator (the core's keyboard and type-to-filter rules), then draws the focus: the focused
// row with the hovered row's highlight (the pointer over a row moves the focus there, so there
// is only ever one), a focused button with a ring in the desktop's focus colour, and the filter
// in a slim field above the list while there is one. The toolkit's own focus follows the
// navigator's, so that assistive technologies hear of it. The rows themselves, matched to each
// new list, are PanelRows' job.
//
// Threading: main thread only. Needs a QApplication.
class HiddenItemPanel final : public QWidget {
  public:
    explicit HiddenItemPanel(PanelActions actions, QWidget* parent = nullptr);
    ~HiddenItemPanel() override;

    // Redraws from these inputs now.
    void setInputs(const PanelInputs& inputs);

    // What is shown: the rows as filtered, the footer as counted.
    const PanelContent& content() const { return content_; }
    PanelState state() const { return content_.state; }

    QSize sizeHint() const override;

    // The one pointer is now over `target`, a footer button or a row (null: over none of
    // them), in one step: what a real pointer's enter and leave events do. PanelDriver's way in.
    void movePointerOver(QWidget* target);

    // The keyboard: a real key pressed inside the panel comes this way, and stowbar-sim's
    // scripted keys and the tests' call these directly. Each returns whether the panel took
    // the key (or the text); a close request that no onCloseRequest answers is not taken, so
    // that it reaches the window.
    bool pressKey(PanelKey key);
    bool typeText(std::string_view text);
    const std::optional<PanelFocus>& focus() const { return navigator_.focus(); }
    const std::string& filter() const { return navigator_.filter(); }
    FilterField* filterField() const { return filterField_; }
    // What opening and closing the popover does to the keyboard: on opening the first row (or
    // the prompt's button) has the focus; on closing the filter is cleared. A panel shown and
    // hidden with its window does this itself; one that stays shown (stowbar-sim's) is told.
    void popoverDidOpen();
    void popoverDidClose();

    // Hear of the keyboard's doings: the focus moved, the filter changed (with the rows it
    // leaves), Escape asked to close the popover.
    std::function<void(const std::optional<PanelFocus>&)> onFocusChange;
    std::function<void(const std::string& filter, std::size_t rows)> onFilterChange;
    std::function<void()> onCloseRequest;

    // The parts, for tests and for whoever hosts the panel.
    // The rows of the list shown; row() makes any not made yet up to `index` first.
    std::size_t rowCount() const {
        return content_.state == PanelState::list ? content_.rows.size() : 0;
    }
    StatusItemRow* row(std::size_t index);
    // The scroll view around the rows; null unless the list scrolls.
    QScrollArea* scrollArea() const { return scrollArea_; }
    FooterButton* updatesButton() const { return updatesButton_; }
    FooterButton* quitButton() const { return quitButton_; }
    // The prompt's "Open Settings"; null unless a prompt offers it.
    ProminentButton* openSettingsButton() const { return openSettingsButton_; }
    ElidingLabel* countLabel() const { return countLabel_; }
    // The progress indicator; null outside the loading state.
    SpinnerView* spinner() const { return spinner_; }

    // The panel's outline at `size`: a popover's rounded rectangle.
    static constexpr double kCornerRadius = 10;
    static QPainterPath shape(const QSize& size);
    // Makes every row not made yet and lays the panel out at its natural size now, rather
    // than on later turns of the loop: what a picture taken at once needs.
    void layOutWhole();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // A new palette (the desktop or the system turned dark or light) gives the labels their
    // levels of the new label colour.
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildPrompt(const PermissionPrompt& prompt);
    QWidget* buildLoading();
    QWidget* buildEmpty();
    QWidget* buildList();
    void replaceStateContent(QWidget* content);
    void present(PanelContent next);
    bool handleKey(const QKeyEvent& event);
    void afterKeyboard(const std::optional<PanelFocus>& focusBefore,
                       const std::string& filterBefore);
    QWidget* focusedWidget();
    void showFocus();
    void pressFocused();
    void announceState();
    void arrangeFooter();
    void fitToContent();

    HiddenItemPanelModel model_;
    HiddenItemPanelNavigator navigator_;
    // Whether the focused row shows the highlight: after opening and after keys, not once the
    // pointer moved over the panel.
    bool keyboardHighlight_ = true;
    PanelContent content_;
    bool hasContent_ = false;
    // Set when the content changed while the panel was hidden: it is laid out when shown.
    bool fitPending_ = false;

    QVBoxLayout* layout_ = nullptr;
    QWidget* stateContent_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    SpinnerView* spinner_ = nullptr;
    ProminentButton* openSettingsButton_ = nullptr;
    FilterField* filterField_ = nullptr;
    // The rows of the list shown, of content_'s list.
    PanelRows rows_;
    QBoxLayout* footerColumn_ = nullptr;
    QBoxLayout* footerRow_ = nullptr;
    ElidingLabel* countLabel_ = nullptr;
    FooterButton* updatesButton_ = nullptr;
    FooterButton* quitButton_ = nullptr;
};

}  // namespace stowbar::qt
