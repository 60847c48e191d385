#include "adapters/qt/HiddenItemPanel.hpp"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QScrollArea>
#include <QSize>
#include <QSizeF>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "adapters/qt/PanelAccessibility.hpp"
#include "adapters/qt/PanelRows.hpp"
#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/PanelWidgets.hpp"
#include "adapters/qt/StatusItemRow.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/HiddenItemPanelNavigator.hpp"
#include "core/UserTexts.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar::qt {

namespace {

// Layout metrics in points (logical pixels).
constexpr int kPanelWidth = static_cast<int>(HiddenItemPanelModel::kPanelWidth);
constexpr int kScrollViewHeight = static_cast<int>(HiddenItemPanelModel::kScrollViewHeight);
constexpr int kTopSpace = 10;
constexpr int kSpaceAboveFooter = 8;
constexpr int kBottomSpace = 10;
constexpr int kFooterInset = 12;
// The spacing a horizontal stack of the desktop's controls uses when none is given.
constexpr int kFooterSpacing = 8;
// The least room between the count and "Updates", whose own padding already keeps its label
// clear of the count's text.
constexpr int kCountGap = 4;
// Between the count and the buttons when the count takes a line of its own.
constexpr int kFooterLineSpacing = 2;
constexpr int kPromptInset = 16;
constexpr int kPromptSpacing = 8;
constexpr int kLoadingInset = 20;
constexpr int kLoadingSpacing = 8;
constexpr int kEmptyInset = 24;
constexpr int kEmptySpacing = 6;
// The loading and empty columns sit between two spacers, each at least this wide, as the
// name of a row is kept clear of its spacer.
constexpr int kSpacerMinimum = 8;

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A label keeps the colour it is drawn in under this property, so that a new palette can give
// it that colour's level of the new label colour.
constexpr const char* kColourProperty = "stowbarColour";

// Draws `label` in `colour` taken from `palette`, and remembers which colour that was.
void paintLabelIn(QLabel* label, Colour colour, const QPalette& palette) {
    label->setProperty(kColourProperty, static_cast<int>(colour));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colourFor(colour, palette));
    label->setPalette(colours);
}

// A centred, wrapping line of plain text (never interpreted as markup) in a style and colour.
QLabel* makeLabel(std::string_view text, TextStyle style, Colour colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(toQString(localized(text)));
    label->setFont(fontFor(style));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    paintLabelIn(label, colour, parent->palette());
    return label;
}

}  // namespace

HiddenItemPanel::HiddenItemPanel(PanelActions actions, QWidget* parent)
    : QWidget(parent),
      model_(std::move(actions)),
      rows_(
          *this, content_, [this](const StatusItemInfo& clicked) { model_.activate(clicked); },
          [this] { showFocus(); }) {
    installPanelAccessibility();
    // The panel draws no background of its own; the popover behind it does.
    setAutoFillBackground(false);

    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addSpacing(kTopSpace);
    // The type-to-filter field, shown only while there is a filter.
    filterField_ = new FilterField(this);
    filterField_->hide();
    layout_->addWidget(filterField_);
    // The state content goes here, at index 2.
    layout_->addWidget(new Divider(this));
    layout_->addSpacing(kSpaceAboveFooter);

    auto* footer = new QWidget(this);
    footerColumn_ = new QVBoxLayout(footer);
    footerColumn_->setContentsMargins(kFooterInset, 0, kFooterInset, 0);
    footerColumn_->setSpacing(kFooterLineSpacing);
    auto* footerLayout = new QHBoxLayout();
    footerLayout->setSpacing(0);
    footerColumn_->addLayout(footerLayout);
    footerRow_ = footerLayout;
    countLabel_ = new ElidingLabel(footer);
    countLabel_->setFont(fontFor(TextStyle::caption));
    paintLabelIn(countLabel_, Colour::secondary, palette());
    updatesButton_ = new FooterButton(toQString(localized(panel_text::kUpdates)), footer);
    quitButton_ = new FooterButton(toQString(localized(panel_text::kQuit)), footer);
    // The buttons keep their natural widths; the count moves to a line of its own above them
    // when it does not fit beside them (arrangeFooter), and ends in an ellipsis only when even
    // that line is too short for it.
    footerLayout->addWidget(countLabel_, 0, Qt::AlignVCenter);
    footerLayout->addSpacing(kCountGap);
    footerLayout->addStretch(1);
    footerLayout->addWidget(updatesButton_, 0, Qt::AlignVCenter);
    footerLayout->addSpacing(kFooterSpacing);
    footerLayout->addWidget(quitButton_, 0, Qt::AlignVCenter);
    layout_->addWidget(footer);
    layout_->addSpacing(kBottomSpace);

    connect(updatesButton_, &QAbstractButton::clicked, this, [this] { model_.checkForUpdates(); });
    // Hidden, it takes no room in the footer and no place in the keyboard's order.
    updatesButton_->setVisible(model_.offersUpdates());
    connect(quitButton_, &QAbstractButton::clicked, this, [this] { model_.quit(); });

    // Every key reaches the panel first, wherever the focus is inside it.
    setFocusPolicy(Qt::StrongFocus);
    installEventFilter(this);
    updatesButton_->installEventFilter(this);
    quitButton_->installEventFilter(this);

    // Until told otherwise the panel shows what a controller that has not refreshed yet
    // publishes: nothing granted, nothing found.
    setInputs(PanelInputs{});
}

HiddenItemPanel::~HiddenItemPanel() = default;

void HiddenItemPanel::setInputs(const PanelInputs& inputs) {
    navigator_.setInputs(inputs, model_.offersUpdates(), model_.offersSettings());
    present(navigator_.content());
    showFocus();
}

void HiddenItemPanel::present(PanelContent next) {
    const bool rebuild = !hasContent_ || next.state != content_.state ||
                         (next.state == PanelState::list && next.rowsScroll != content_.rowsScroll);
    content_ = std::move(next);
    hasContent_ = true;

    if (rebuild) {
        QWidget* built = nullptr;
        switch (content_.state) {
            case PanelState::accessibility:
            case PanelState::fullDiskAccess:
                // Both prompt states come with their prompt; should one ever come without, the
                // panel says that nothing was found rather than show a prompt it cannot fill.
                built = content_.prompt ? buildPrompt(*content_.prompt) : buildEmpty();
                break;
            case PanelState::loading:
                built = buildLoading();
                break;
            case PanelState::list:
                built = buildList();
                break;
            case PanelState::empty:
                built = buildEmpty();
                break;
        }
        replaceStateContent(built);
        announceState();
    } else if (content_.state == PanelState::list) {
        rows_.update();
    }

    // A footer that reads as before is neither measured nor arranged again.
    const QString footer = QString::fromStdString(content_.footerText);
    if (footer != countLabel_->fullText() || countLabel_->text().isEmpty()) {
        countLabel_->setFullText(footer);
        arrangeFooter();
    }
    const QString filter = QString::fromStdString(content_.filter);
    if (filter != filterField_->text()) {
        filterField_->setText(filter);
    }
    filterField_->setVisible(!content_.filter.empty());
    // Each changed part draws itself; a hidden panel is laid out only when it is shown again.
    if (isVisible()) {
        fitToContent();
    } else {
        fitPending_ = true;
    }
}

QWidget* HiddenItemPanel::buildPrompt(const PermissionPrompt& prompt) {
    openSettingsButton_ = nullptr;
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(kPromptInset, kPromptInset, kPromptInset, kPromptInset);
    column->setSpacing(kPromptSpacing);
    column->addWidget(new SymbolView(prompt.symbolName, TextStyle::title2, Colour::orange, box), 0,
                      Qt::AlignHCenter);
    column->addWidget(makeLabel(prompt.title, TextStyle::subheadlineBold, Colour::primary, box));
    column->addWidget(makeLabel(prompt.description, TextStyle::caption, Colour::secondary, box));
    if (!model_.offersSettings()) {
        return box;
    }
    auto* button =
        new ProminentButton(toQString(localized(panel_text::kOpenSettings)), Colour::orange, box);
    connect(button, &QAbstractButton::clicked, this,
            [this, prompt] { model_.openSettings(prompt); });
    button->installEventFilter(this);
    column->addWidget(button, 0, Qt::AlignHCenter);
    openSettingsButton_ = button;
    return box;
}

QWidget* HiddenItemPanel::buildLoading() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(kSpacerMinimum, kLoadingInset, kSpacerMinimum, kLoadingInset);
    column->setSpacing(kLoadingSpacing);
    spinner_ = new SpinnerView(box);
    column->addWidget(spinner_, 0, Qt::AlignHCenter);
    column->addWidget(makeLabel(panel_text::kScanning, TextStyle::caption, Colour::secondary, box));
    return box;
}

QWidget* HiddenItemPanel::buildEmpty() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(kSpacerMinimum, kEmptyInset, kSpacerMinimum, kEmptyInset);
    column->setSpacing(kEmptySpacing);
    column->addWidget(
        new SymbolView(panel_symbol::kEmpty, TextStyle::title2, Colour::secondary, box), 0,
        Qt::AlignHCenter);
    column->addWidget(
        makeLabel(panel_text::kNoHiddenItems, TextStyle::subheadline, Colour::secondary, box));
    column->addWidget(makeLabel(panel_text::kEmptyHint, TextStyle::caption, Colour::tertiary, box));
    return box;
}

QWidget* HiddenItemPanel::buildList() {
    auto* column = new QWidget;
    // The rows stay where they are when the column grows with more of them, so only the new
    // part is drawn, not every row in sight again.
    column->setAttribute(Qt::WA_StaticContents);
    auto* rowsLayout = new QVBoxLayout(column);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    // Keeps the rows at the top of a scroll view taller than they are.
    rowsLayout->addStretch(1);
    // The rows of the list shown so far move into the new column, keeping their hover.
    rows_.moveInto(column, rowsLayout);
    if (!content_.rowsScroll) {
        column->setParent(this);
        return column;
    }
    auto* scroll = new PanelScrollArea(this);
    scroll->setFixedHeight(kScrollViewHeight);
    scroll->setWidget(column);
    // setWidget() turns the background on; the rows sit on the popover's fill.
    column->setAutoFillBackground(false);
    scrollArea_ = scroll;
    rows_.scrollIn(scroll);
    return scroll;
}

void HiddenItemPanel::replaceStateContent(QWidget* content) {
    if (stateContent_ != nullptr) {
        layout_->removeWidget(stateContent_);
        stateContent_->hide();
        // Later, not now: this may run inside a click handler of a widget it contains.
        stateContent_->deleteLater();
    }
    if (content_.state != PanelState::list) {
        rows_.forget();
    }
    if (content_.state != PanelState::list || !content_.rowsScroll) {
        scrollArea_ = nullptr;
    }
    if (content_.state != PanelState::loading) {
        spinner_ = nullptr;
    }
    if (!content_.prompt) {
        openSettingsButton_ = nullptr;
    }
    stateContent_ = content;
    layout_->insertWidget(2, content);
    content->show();
}

void HiddenItemPanel::arrangeFooter() {
    // The count shares its line with the buttons while its whole text fits beside them. A
    // longer one (a filtered count, a count in the hundreds) takes a line of its own above
    // them rather than end in an ellipsis: the number is what the user reads it for.
    int room = kPanelWidth - 2 * kFooterInset - kCountGap - kFooterSpacing;
    for (const FooterButton* button : {updatesButton_, quitButton_}) {
        if (!button->isHidden()) {
            room -= button->sizeHint().width();
        }
    }
    const bool ownLine = countLabel_->sizeHint().width() > room;
    const bool hasOwnLine = footerColumn_->indexOf(countLabel_) >= 0;
    if (ownLine == hasOwnLine) {
        return;
    }
    if (ownLine) {
        footerRow_->removeWidget(countLabel_);
        footerColumn_->insertWidget(0, countLabel_);
    } else {
        footerColumn_->removeWidget(countLabel_);
        footerRow_->insertWidget(0, countLabel_, 0, Qt::AlignVCenter);
    }
    // At once rather than on a later turn, so that the panel's next layout (and a picture
    // taken before the loop turns) finds the count where it now belongs.
    footerColumn_->activate();
}

void HiddenItemPanel::fitToContent() {
    layout_->invalidate();
    const int height = layout_->hasHeightForWidth() ? layout_->totalHeightForWidth(kPanelWidth)
                                                    : layout_->totalSizeHint().height();
    setFixedSize(kPanelWidth, height);
    updateGeometry();
}

QSize HiddenItemPanel::sizeHint() const {
    const int height = layout_->hasHeightForWidth() ? layout_->totalHeightForWidth(kPanelWidth)
                                                    : layout_->totalSizeHint().height();
    return {kPanelWidth, height};
}

void HiddenItemPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (fitPending_) {
        fitPending_ = false;
        fitToContent();
    }
    popoverDidOpen();
}

void HiddenItemPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    popoverDidClose();
}

void HiddenItemPanel::announceState() {
    // The panel's name says what it shows now; a changed name is announced, so a screen reader
    // user hears the list arrive after the loading view.
    std::string summary;
    switch (content_.state) {
        case PanelState::accessibility:
            summary = localized(panel_text::kAccessibilityTitle);
            break;
        case PanelState::fullDiskAccess:
            summary = localized(panel_text::kFullDiskAccessTitle);
            break;
        case PanelState::loading:
            summary = localized(panel_text::kScanning);
            break;
        case PanelState::empty:
            summary = localized(panel_text::kNoHiddenItems);
            break;
        case PanelState::list:
            summary = content_.footerText;
            break;
    }
    setAccessibleName(toQString(summary));
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&event);
    }
}

void HiddenItemPanel::popoverDidOpen() {
    navigator_.open();
    keyboardHighlight_ = true;
    showFocus();
}

void HiddenItemPanel::popoverDidClose() {
    const bool filtered = !navigator_.filter().empty();
    navigator_.close();
    if (filtered) {
        present(navigator_.content());
        model_.preferredSizeChanged();
    }
    showFocus();
}

bool HiddenItemPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return handleKey(*static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::Enter) {
        // The pointer over a row takes the focus there, so that there is one highlight.
        const std::vector<StatusItemRow*>& rows = rows_.made();
        const auto found = std::find(rows.begin(), rows.end(), watched);
        if (found != rows.end()) {
            navigator_.focusRow(static_cast<std::size_t>(found - rows.begin()));
            keyboardHighlight_ = false;
            showFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool HiddenItemPanel::handleKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers chords = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if ((event.modifiers() & chords) != 0) {
        return false;
    }
    switch (event.key()) {
        case Qt::Key_Up:
            return pressKey(PanelKey::up);
        case Qt::Key_Down:
            return pressKey(PanelKey::down);
        case Qt::Key_Home:
            return pressKey(PanelKey::home);
        case Qt::Key_End:
            return pressKey(PanelKey::end);
        case Qt::Key_Tab:
            return pressKey(PanelKey::tab);
        case Qt::Key_Backtab:
            return pressKey(PanelKey::backtab);
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return pressKey(PanelKey::enter);
        case Qt::Key_Space:
            return pressKey(PanelKey::space);
        case Qt::Key_Escape:
            return pressKey(PanelKey::escape);
        case Qt::Key_Backspace:
            return pressKey(PanelKey::backspace);
        default:
            break;
    }
    const QString text = event.text();
    return !text.isEmpty() && typeText(text.toStdString());
}

bool HiddenItemPanel::pressKey(PanelKey key) {
    const auto focusBefore = navigator_.focus();
    const std::string filterBefore = navigator_.filter();
    const PanelCommand command = navigator_.key(key);
    afterKeyboard(focusBefore, filterBefore);
    switch (command) {
        case PanelCommand::none:
            return true;
        case PanelCommand::press:
            pressFocused();
            return true;
        case PanelCommand::close:
            // Without a closer of its own the key goes on to the window, which a popup takes
            // as its cue to close.
            if (onCloseRequest) {
                onCloseRequest();
                return true;
            }
            return false;
    }
    return true;
}

bool HiddenItemPanel::typeText(std::string_view text) {
    const auto focusBefore = navigator_.focus();
    const std::string filterBefore = navigator_.filter();
    if (!navigator_.type(text)) {
        return false;
    }
    afterKeyboard(focusBefore, filterBefore);
    return true;
}

void HiddenItemPanel::afterKeyboard(const std::optional<PanelFocus>& focusBefore,
                                    const std::string& filterBefore) {
    const bool filterChanged = navigator_.filter() != filterBefore;
    if (filterChanged) {
        present(navigator_.content());
    }
    // The keyboard's highlight replaces the pointer's.
    keyboardHighlight_ = true;
    for (StatusItemRow* row : rows_.made()) {
        row->setHovered(false);
    }
    showFocus();
    if (filterChanged && onFilterChange) {
        onFilterChange(navigator_.filter(), content_.rows.size());
    }
    if (navigator_.focus() != focusBefore && onFocusChange) {
        onFocusChange(navigator_.focus());
    }
    if (filterChanged) {
        model_.preferredSizeChanged();
    }
}

QWidget* HiddenItemPanel::focusedWidget() {
    const auto& focus = navigator_.focus();
    if (!focus) {
        return nullptr;
    }
    switch (focus->control) {
        case PanelControl::row:
            return rows_.row(focus->row);
        case PanelControl::openSettings:
            return openSettingsButton_;
        case PanelControl::updates:
            return updatesButton_;
        case PanelControl::quit:
            return quitButton_;
    }
    return nullptr;
}

void HiddenItemPanel::showFocus() {
    // The footer's buttons always exist: they are told by the control that has the focus.
    const auto& focus = navigator_.focus();
    updatesButton_->setFocusShown(focus && focus->control == PanelControl::updates);
    quitButton_->setFocusShown(focus && focus->control == PanelControl::quit);
    QWidget* focused = focusedWidget();
    for (StatusItemRow* row : rows_.made()) {
        row->setFocused(keyboardHighlight_ && focused != nullptr && row == focused);
    }
    if (openSettingsButton_ != nullptr) {
        openSettingsButton_->setFocusShown(focused == openSettingsButton_);
    }
    if (focused != nullptr && scrollArea_ != nullptr) {
        scrollArea_->ensureWidgetVisible(focused, 0, 0);
    }
    if (!isVisible()) {
        return;
    }
    // The toolkit's own focus follows, so that assistive technologies hear of it.
    QWidget* target = focused != nullptr ? focused : this;
    if (QApplication::focusWidget() != target) {
        target->setFocus(Qt::TabFocusReason);
    }
}

void HiddenItemPanel::pressFocused() {
    QWidget* focused = focusedWidget();
    if (auto* row = dynamic_cast<StatusItemRow*>(focused)) {
        // The same way a click takes: the same callback, the same duplicate window.
        row->activate();
    } else if (auto* button = dynamic_cast<QAbstractButton*>(focused)) {
        button->click();
    }
}

void HiddenItemPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Inside a host the panel clips its children to its rounded shape itself; as a window of
    // its own, shaping the window is the host's choice, as not every platform can.
    if (!isWindow()) {
        setMask(QRegion(shape(size()).toFillPolygon().toPolygon()));
    }
}

void HiddenItemPanel::movePointerOver(QWidget* target) {
    updatesButton_->setHovered(target != nullptr && target == updatesButton_);
    quitButton_->setHovered(target != nullptr && target == quitButton_);
    const auto* overRow = dynamic_cast<const StatusItemRow*>(target);
    const std::vector<StatusItemRow*>& rows = rows_.made();
    const auto over = std::find(rows.begin(), rows.end(), overRow);
    for (StatusItemRow* row : rows) {
        row->setHovered(overRow != nullptr && row == overRow);
    }
    if (overRow != nullptr && over != rows.end()) {
        navigator_.focusRow(static_cast<std::size_t>(over - rows.begin()));
        keyboardHighlight_ = false;
    }
    // The pointer leaving the rows takes the highlight with it, as it does for a mouse user.
    if (overRow == nullptr) {
        keyboardHighlight_ = false;
    }
    showFocus();
}

StatusItemRow* HiddenItemPanel::row(std::size_t index) {
    return rows_.row(index);
}

QPainterPath HiddenItemPanel::shape(const QSize& size) {
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), kCornerRadius, kCornerRadius);
    return outline;
}

void HiddenItemPanel::layOutWhole() {
    ensurePolished();
    rows_.makeAll();
    // Layouts inside the panel (the rows' column) a filter just changed are settled first,
    // so that a picture taken before the loop turns shows the panel at its new height.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    fitToContent();
    layout_->activate();
}

void HiddenItemPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::PaletteChange) {
        return;
    }
    // The panel's own palette is the new one: its labels override only their text colour.
    for (QLabel* label : findChildren<QLabel*>()) {
        const QVariant colour = label->property(kColourProperty);
        if (colour.isValid()) {
            paintLabelIn(label, static_cast<Colour>(colour.toInt()), palette());
        }
    }
}

}  // namespace stowbar::qt
