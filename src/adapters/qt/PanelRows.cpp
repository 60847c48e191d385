#include "adapters/qt/PanelRows.hpp"

#include <QLayoutItem>
#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "adapters/qt/StatusItemRow.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar::qt {

PanelRows::PanelRows(QWidget& panel, const PanelContent& content, StatusItemRow::Activate activate,
                     std::function<void()> onRowsMade)
    : panel_(panel),
      content_(content),
      activate_(std::move(activate)),
      onRowsMade_(std::move(onRowsMade)) {}

void PanelRows::moveInto(QWidget* column, QVBoxLayout* layout) {
    column_ = column;
    layout_ = layout;
    // The scroll view the last column was in, if any, goes with that column.
    scrollArea_ = nullptr;
    update();
}

void PanelRows::scrollIn(QScrollArea* scrollArea) {
    scrollArea_ = scrollArea;
    reserveListHeight();
}

void PanelRows::forget() {
    rows_.clear();
    column_ = nullptr;
    layout_ = nullptr;
    scrollArea_ = nullptr;
}

QScrollArea* PanelRows::scrolling() const {
    return scrollArea_ != nullptr && scrollArea_->widget() == column_ ? scrollArea_ : nullptr;
}

std::size_t PanelRows::rowCount() const {
    return content_.state == PanelState::list ? content_.rows.size() : 0;
}

void PanelRows::update() {
    const std::vector<StatusItemInfo>& items = content_.rows;
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
    if (content_.rowsScroll && scrolling() != nullptr && !rows_.empty()) {
        inSight = std::max(scrollArea_->viewport()->height(),
                           static_cast<int>(items.size()) * rows_.front()->height());
    }
    for (; spareRow != spare.end(); ++spareRow) {
        StatusItemRow* row = *spareRow;
        layout_->removeWidget(row);
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
    placeRows(0);
    redrawStaleRows(kRowsPerTurn);
    scheduleRowBuilding();
}

void PanelRows::replaceItem(StatusItemRow& row, const StatusItemInfo& item) {
    if (row.replaceItem(item)) {
        staleRows_.emplace_back(&row);
    }
}

void PanelRows::redrawStaleRows(std::size_t count) {
    // Drawing a row costs about as much as making one: a list whose every picture changed is
    // drawn a few shown rows per turn. Rows out of sight cost nothing to ask for.
    std::optional<QRect> inSight;
    if (const QScrollArea* scroll = scrolling()) {
        inSight = QRect(QPoint(0, -column_->y()), scroll->viewport()->size());
    }
    std::size_t drawn = 0;
    auto stale = staleRows_.begin();
    for (; stale != staleRows_.end() && (drawn < count || !panel_.isVisible()); ++stale) {
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

StatusItemRow* PanelRows::makeRow(const StatusItemInfo& item) {
    auto* row = new StatusItemRow(item, activate_, column_);
    row->installEventFilter(&panel_);
    return row;
}

void PanelRows::placeRows(std::size_t from) {
    // Showing a row in a shown column lays the column out again at once. The layout is off
    // while rows move, so that the column is laid out once however many moved.
    layout_->setEnabled(false);
    bool moved = false;
    // Only rows out of place move: an unchanged list touches the layout not at all, and one
    // new item is one insertion.
    for (std::size_t index = from; index < rows_.size(); ++index) {
        StatusItemRow* row = rows_[index];
        const QLayoutItem* there = layout_->itemAt(static_cast<int>(index));
        if (there != nullptr && there->widget() == row) {
            continue;
        }
        if (row->parentWidget() == column_) {
            layout_->removeWidget(row);
        }
        layout_->insertWidget(static_cast<int>(index), row);
        // Shown where the layout will put it, every row being as high as the others: shown
        // where it was, over the rows in sight, it would have them all drawn again.
        const int height = row->sizeHint().height();
        row->setGeometry(0, static_cast<int>(index) * height, column_->width(), height);
        // A row moved to a new column is hidden by the move; it shows with its column.
        row->show();
        moved = true;
    }
    const bool resized = reserveListHeight();
    layout_->setEnabled(true);
    if (moved || resized) {
        layout_->activate();
    }
}

bool PanelRows::reserveListHeight() {
    const QScrollArea* scroll = scrolling();
    if (scroll == nullptr || rows_.empty()) {
        return false;
    }
    // A scrolling column is as tall as the whole list from the start, rows made or not: the
    // rows made on later turns then land below the ones in place without moving them, the
    // scroll range is final, and nothing in sight is drawn again for them.
    // Every row is as high as the first, which placeRows() has just given its height.
    const int whole = static_cast<int>(content_.rows.size()) * rows_.front()->height();
    if (column_->minimumHeight() == whole) {
        return false;
    }
    column_->setMinimumHeight(whole);
    column_->resize(column_->width(), std::max(scroll->viewport()->height(), whole));
    return true;
}

void PanelRows::deleteRetiredRows(std::size_t count) {
    const auto end =
        retiredRows_.begin() + static_cast<std::ptrdiff_t>(std::min(count, retiredRows_.size()));
    for (auto retired = retiredRows_.begin(); retired != end; ++retired) {
        delete retired->data();
    }
    retiredRows_.erase(retiredRows_.begin(), end);
}

void PanelRows::scheduleRowBuilding() {
    if (rowBuildingScheduled_ ||
        (rows_.size() >= rowCount() && staleRows_.empty() && retiredRows_.empty())) {
        return;
    }
    rowBuildingScheduled_ = true;
    // Queued with the panel as context: dropped if the panel is gone by then.
    QMetaObject::invokeMethod(
        &panel_,
        [this] {
            rowBuildingScheduled_ = false;
            deleteRetiredRows(kRowsRetiredPerTurn);
            redrawStaleRows(kRowsPerTurn);
            buildPendingRows(kRowsPerTurn);
            scheduleRowBuilding();
        },
        Qt::QueuedConnection);
}

void PanelRows::buildPendingRows(std::size_t count) {
    if (content_.state != PanelState::list || layout_ == nullptr) {
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
    placeRows(from);
    if (onRowsMade_) {
        onRowsMade_();
    }
}

void PanelRows::makeAll() {
    buildPendingRows(rowCount());
}

StatusItemRow* PanelRows::row(std::size_t index) {
    if (content_.state != PanelState::list || index >= content_.rows.size()) {
        return nullptr;
    }
    if (index >= rows_.size()) {
        buildPendingRows(index + 1 - rows_.size());
    }
    return index < rows_.size() ? rows_[index] : nullptr;
}

}  // namespace stowbar::qt
