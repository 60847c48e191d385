#include "adapters/qt/HiddenItemPanel.hpp"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "adapters/qt/PanelAccessibility.hpp"
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
constexpr double kCornerRadius = 10;
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

QPainterPath roundedShape(const QSize& size) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), kCornerRadius, kCornerRadius);
    return shape;
}

}  // namespace

HiddenItemPanel::HiddenItemPanel(PanelActions actions, QWidget* parent)
    : QWidget(parent), model_(std::move(actions)) {
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
        updateRows(content_.rows);
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
    rowsLayout_ = new QVBoxLayout(column);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setSpacing(0);
    // Keeps the rows at the top of a scroll view taller than they are.
    rowsLayout_->addStretch(1);
    rowsColumn_ = column;
    // The rows of the list shown so far move into the new column, keeping their hover.
    updateRows(content_.rows);
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
    reserveListHeight();
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
        rows_.clear();
        rowsColumn_ = nullptr;
        rowsLayout_ = nullptr;
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

void HiddenItemPanel::updateRows(const std::vector<StatusItemInfo>& items) {
    // Rows are matched to items by id, in order, so a row whose item keeps its id keeps its
    // widget and its hover flag. Two items that share an id still get a row each.
    std::vector<StatusItemRow*> next(items.size(), nullptr);
    std::size_t lastMatched = 0;
    // Most lists published again keep their ids in place (new pictures arrive): those rows
    // are matched where they stand, and only the rest are looked up by id.
    while (lastMatched < rows_.size() && lastMatched < items.size() &&
           rows_[lastMatched]->item().id == items[lastMatched].id) {
        next[lastMatched] = rows_[lastMatched];
        replaceItem(*next[lastMatched], items[lastMatched]);
        ++lastMatched;
    }
    std::multimap<std::uint32_t, StatusItemRow*> previous;
    for (std::size_t index = lastMatched; index < rows_.size(); ++index) {
        previous.emplace(rows_[index]->item().id, rows_[index]);
    }
    for (std::size_t index = lastMatched; index < items.size(); ++index) {
        if (const auto found = previous.find(items[index].id); found != previous.end()) {
            next[index] = found->second;
            previous.erase(found);
            replaceItem(*next[index], items[index]);
            lastMatched = index + 1;
        }
    }
    // A row whose item is gone shows the next item that has none, in list order, instead of
    // being deleted while another is made: a list of new processes is drawn into the widgets
    // already in place. The pointer's highlight belonged to the old item.
    std::unordered_set<const StatusItemRow*> unmatched;
    for (const auto& [id, row] : previous) {
        unmatched.insert(row);
    }
    std::vector<StatusItemRow*> spare;
    spare.reserve(unmatched.size());
    std::copy_if(rows_.begin(), rows_.end(), std::back_inserter(spare),
                 [&unmatched](const StatusItemRow* row) { return unmatched.contains(row); });
    auto spareRow = spare.begin();
    for (std::size_t index = 0; index < items.size() && spareRow != spare.end(); ++index) {
        if (next[index] == nullptr) {
            StatusItemRow* row = *spareRow++;
            row->setHovered(false);
            replaceItem(*row, items[index]);
            next[index] = row;
            lastMatched = index + 1;
        }
    }
    // Rows left over go. In a scrolling column, those below what the shorter list leaves in
    // sight are out of the way once out of the layout: they are hidden and deleted a few at a
    // time on later turns, as a long list is made.
    int inSight = std::numeric_limits<int>::max();
    if (content_.rowsScroll && scrollArea_ != nullptr && scrollArea_->widget() == rowsColumn_ &&
        !rows_.empty()) {
        inSight = std::max(scrollArea_->viewport()->height(),
                           static_cast<int>(items.size()) * rows_.front()->height());
    }
    for (; spareRow != spare.end(); ++spareRow) {
        StatusItemRow* row = *spareRow;
        rowsLayout_->removeWidget(row);
        if (row->y() >= inSight) {
            retiredRows_.emplace_back(row);
        } else {
            row->hide();
            row->deleteLater();
        }
    }
    // The rows a scroll view shows at once are made now, the rest a few at a time on later
    // turns of the loop (see buildPendingRows()), so that a long new list never holds the
    // loop for long.
    const std::size_t builtNow = content_.rowsScroll
                                     ? std::min(items.size(), std::max(lastMatched, kRowsPerTurn))
                                     : items.size();
    next.resize(builtNow);
    for (std::size_t index = 0; index < builtNow; ++index) {
        if (next[index] == nullptr) {
            next[index] = makeRow(items[index]);
        }
    }
    rows_ = std::move(next);
    placeRows(rows_, 0);
    redrawStaleRows(kRowsPerTurn);
    scheduleRowBuilding();
}

void HiddenItemPanel::replaceItem(StatusItemRow& row, const StatusItemInfo& item) {
    if (row.replaceItem(item)) {
        staleRows_.emplace_back(&row);
    }
}

void HiddenItemPanel::redrawStaleRows(std::size_t count) {
    // Drawing a row costs about as much as making one: a list whose every picture changed is
    // drawn a few shown rows per turn. Rows out of sight cost nothing to ask for.
    std::optional<QRect> inSight;
    if (scrollArea_ != nullptr && scrollArea_->widget() == rowsColumn_) {
        inSight = QRect(QPoint(0, -rowsColumn_->y()), scrollArea_->viewport()->size());
    }
    std::size_t drawn = 0;
    auto stale = staleRows_.begin();
    for (; stale != staleRows_.end() && (drawn < count || !isVisible()); ++stale) {
        if (*stale == nullptr) {
            continue;
        }
        (*stale)->redraw();
        if (!inSight || (*stale)->geometry().intersects(*inSight)) {
            ++drawn;
        }
    }
    staleRows_.erase(staleRows_.begin(), stale);
}

StatusItemRow* HiddenItemPanel::makeRow(const StatusItemInfo& item) {
    auto* row = new StatusItemRow(
        item, [this](const StatusItemInfo& clicked) { model_.activate(clicked); }, rowsColumn_);
    row->installEventFilter(this);
    return row;
}

void HiddenItemPanel::placeRows(const std::vector<StatusItemRow*>& rows, std::size_t from) {
    // Showing a row in a shown column lays the column out again at once. The layout is off
    // while rows move, so that the column is laid out once however many moved.
    rowsLayout_->setEnabled(false);
    bool moved = false;
    // Only rows out of place move: an unchanged list touches the layout not at all, and one
    // new item is one insertion.
    for (std::size_t index = from; index < rows.size(); ++index) {
        StatusItemRow* row = rows[index];
        const QLayoutItem* there = rowsLayout_->itemAt(static_cast<int>(index));
        if (there != nullptr && there->widget() == row) {
            continue;
        }
        if (row->parentWidget() == rowsColumn_) {
            rowsLayout_->removeWidget(row);
        }
        rowsLayout_->insertWidget(static_cast<int>(index), row);
        // Shown where the layout will put it, every row being as high as the others: shown
        // where it was, over the rows in sight, it would have them all drawn again.
        const int height = row->sizeHint().height();
        row->setGeometry(0, static_cast<int>(index) * height, rowsColumn_->width(), height);
        // A row moved to a new column is hidden by the move; it shows with its column.
        row->show();
        moved = true;
    }
    const bool resized = reserveListHeight();
    rowsLayout_->setEnabled(true);
    if (moved || resized) {
        rowsLayout_->activate();
    }
}

bool HiddenItemPanel::reserveListHeight() {
    if (scrollArea_ == nullptr || scrollArea_->widget() != rowsColumn_ || rows_.empty()) {
        return false;
    }
    // A scrolling column is as tall as the whole list from the start, rows made or not: the
    // rows made on later turns then land below the ones in place without moving them, the
    // scroll range is final, and nothing in sight is drawn again for them.
    // Every row is as high as the first, which placeRows() has just given its height.
    const int whole = static_cast<int>(content_.rows.size()) * rows_.front()->height();
    if (rowsColumn_->minimumHeight() == whole) {
        return false;
    }
    rowsColumn_->setMinimumHeight(whole);
    rowsColumn_->resize(rowsColumn_->width(), std::max(scrollArea_->viewport()->height(), whole));
    return true;
}

void HiddenItemPanel::deleteRetiredRows(std::size_t count) {
    const auto end =
        retiredRows_.begin() + static_cast<std::ptrdiff_t>(std::min(count, retiredRows_.size()));
    for (auto retired = retiredRows_.begin(); retired != end; ++retired) {
        delete retired->data();
    }
    retiredRows_.erase(retiredRows_.begin(), end);
}

void HiddenItemPanel::scheduleRowBuilding() {
    if (rowBuildingScheduled_ ||
        (rows_.size() >= rowCount() && staleRows_.empty() && retiredRows_.empty())) {
        return;
    }
    rowBuildingScheduled_ = true;
    // Queued with the panel as context: dropped if the panel is gone by then.
    QMetaObject::invokeMethod(
        this,
        [this] {
            rowBuildingScheduled_ = false;
            deleteRetiredRows(kRowsRetiredPerTurn);
            redrawStaleRows(kRowsPerTurn);
            buildPendingRows(kRowsPerTurn);
            scheduleRowBuilding();
        },
        Qt::QueuedConnection);
}

void HiddenItemPanel::buildPendingRows(std::size_t count) {
    if (content_.state != PanelState::list || rowsLayout_ == nullptr) {
        return;
    }
    const std::size_t from = rows_.size();
    const std::size_t to =
        from + std::min(count, content_.rows.size() - std::min(from, content_.rows.size()));
    if (from >= to) {
        return;
    }
    rows_.reserve(to);
    for (std::size_t index = from; index < to; ++index) {
        rows_.push_back(makeRow(content_.rows[index]));
    }
    placeRows(rows_, from);
    // A new row may be the focused one.
    showFocus();
}

StatusItemRow* HiddenItemPanel::builtRow(std::size_t index) {
    if (content_.state != PanelState::list || index >= content_.rows.size()) {
        return nullptr;
    }
    if (index >= rows_.size()) {
        buildPendingRows(index + 1 - rows_.size());
    }
    return index < rows_.size() ? rows_[index] : nullptr;
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
        const auto found = std::find(rows_.begin(), rows_.end(), watched);
        if (found != rows_.end()) {
            navigator_.focusRow(static_cast<std::size_t>(found - rows_.begin()));
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
    for (StatusItemRow* row : rows_) {
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
            return builtRow(focus->row);
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
    QWidget* focused = focusedWidget();
    for (StatusItemRow* row : rows_) {
        row->setFocused(keyboardHighlight_ && focused != nullptr && row == focused);
    }
    // Compared only when something has the focus: the buttons always exist, and comparing them
    // with nothing would leave a reader (and the analyser) wondering whether they might not.
    updatesButton_->setFocusShown(focused != nullptr && focused == updatesButton_);
    quitButton_->setFocusShown(focused != nullptr && focused == quitButton_);
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
        setMask(QRegion(roundedShape(size()).toFillPolygon().toPolygon()));
    }
}

void HiddenItemPanel::setPointerOver(QWidget* target) {
    updatesButton_->setHovered(target != nullptr && target == updatesButton_);
    quitButton_->setHovered(target != nullptr && target == quitButton_);
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        rows_[index]->setHovered(target == rows_[index]);
        if (target == rows_[index]) {
            navigator_.focusRow(index);
            keyboardHighlight_ = false;
        }
    }
    // The pointer leaving the rows takes the highlight with it, as it does for a mouse user.
    if (target == nullptr || dynamic_cast<StatusItemRow*>(target) == nullptr) {
        keyboardHighlight_ = false;
    }
    showFocus();
}

void HiddenItemPanel::hoverQuit() {
    setPointerOver(quitButton_);
}

void HiddenItemPanel::hoverUpdates() {
    setPointerOver(updatesButton_);
}

bool HiddenItemPanel::hoverRow(std::size_t index) {
    StatusItemRow* row = builtRow(index);
    if (row == nullptr) {
        return false;
    }
    setPointerOver(row);
    return true;
}

void HiddenItemPanel::clearHover() {
    setPointerOver(nullptr);
}

bool HiddenItemPanel::clickRow(std::size_t index) {
    StatusItemRow* row = builtRow(index);
    if (row == nullptr) {
        return false;
    }
    row->activate();
    return true;
}

bool HiddenItemPanel::clickButton(std::string_view label) {
    QAbstractButton* button = nullptr;
    if (label == panel_text::kUpdates) {
        button = model_.offersUpdates() ? updatesButton_ : nullptr;
    } else if (label == panel_text::kQuit) {
        button = quitButton_;
    } else if (label == panel_text::kOpenSettings) {
        button = openSettingsButton_;
    }
    if (button == nullptr || button->isHidden()) {
        return false;
    }
    button->click();
    return true;
}

StatusItemRow* HiddenItemPanel::row(std::size_t index) {
    return builtRow(index);
}

QImage HiddenItemPanel::renderImage(double devicePixelRatio) {
    if (!(devicePixelRatio >= 1 && devicePixelRatio <= 8)) {
        devicePixelRatio = 2;
    }
    ensurePolished();
    // A picture shows the whole list, also the rows not made yet.
    buildPendingRows(rowCount());
    // Layouts inside the panel (the rows' column) a filter just changed are settled first,
    // so that a picture taken before the loop turns shows the panel at its new height.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    fitToContent();
    layout_->activate();

    const QSize logical = size();
    QImage image(QSize(static_cast<int>(std::ceil(logical.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(logical.height() * devicePixelRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);

    const QPainterPath shape = roundedShape(logical);
    if (spinner_ != nullptr) {
        spinner_->setFrozen(true);
    }
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // The popover's fill, which the panel itself does not draw.
        painter.fillPath(shape, colourFor(Colour::popoverFill, palette()));
        render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);

        // Clip to the rounded shape with smooth edges: keep only what lies inside it.
        QImage inside(image.size(), QImage::Format_ARGB32_Premultiplied);
        inside.setDevicePixelRatio(devicePixelRatio);
        inside.fill(Qt::transparent);
        {
            QPainter maskPainter(&inside);
            maskPainter.setRenderHint(QPainter::Antialiasing);
            maskPainter.fillPath(shape, Qt::black);
        }
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(QPointF(0, 0), inside);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // The popover's hairline edge.
        QPainterPath edge;
        edge.addRoundedRect(QRectF(0.25, 0.25, logical.width() - 0.5, logical.height() - 0.5),
                            kCornerRadius - 0.25, kCornerRadius - 0.25);
        painter.setPen(QPen(colourFor(Colour::separator, palette()), 0.5));
        painter.drawPath(edge);
    }
    if (spinner_ != nullptr) {
        spinner_->setFrozen(false);
    }
    return image;
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

bool HiddenItemPanel::renderSnapshot(const std::string& pngPath) {
    return renderImage().save(QString::fromStdString(pngPath), "PNG");
}

}  // namespace stowbar::qt
