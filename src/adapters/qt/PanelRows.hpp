#pragma once

#include <QPointer>

#include <cstddef>
#include <functional>
#include <vector>

#include "adapters/qt/StatusItemRow.hpp"
#include "core/HiddenItemPanelModel.hpp"

class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace stowbar::qt {

// The panel's rows, kept in step with each list it is handed. A new list is matched to the
// rows in place by id, in order, so that a row whose hidden extra keeps its id keeps its
// widget, its hover and with them the keyboard's focus; rows whose extras are gone show the
// new extras instead of being deleted while others are made. A long list in a scroll view is
// made a few rows per turn of the loop, and the rows a shorter list leaves over are deleted a
// few per turn, so that no list holds the loop for long.
//
// Threading: main thread only, like the panel that owns it. Lifetime: a member of the panel;
// the work it leaves for later turns of the loop is queued with the panel as context and is
// dropped with it.
class PanelRows {
  public:
    // `panel` sees every row's events first and decides whether the rows are in sight at all;
    // `content` is the panel's, whose rows these show, and outlives this. `activate` is what a
    // click on a row does; `onRowsMade` is told when rows were made on a later turn (one of
    // them may be the focused one).
    PanelRows(QWidget& panel, const PanelContent& content, StatusItemRow::Activate activate,
              std::function<void()> onRowsMade);

    // The content's list changed while the list is shown: the rows follow it.
    void update();
    // A new column for the list (the list state was just entered, or the list moved into or
    // out of a scroll view): the rows made so far move into it, keeping their hover.
    void moveInto(QWidget* column, QVBoxLayout* layout);
    // The scroll view the new column was just put in: the column is made as tall as the whole
    // list at once.
    void scrollIn(QScrollArea* scrollArea);
    // The list is no longer shown: its rows go with the column they are in.
    void forget();

    // The rows made so far: the first made().size() of the list's rows, in order.
    const std::vector<StatusItemRow*>& made() const { return rows_; }
    // The row at `index`, made first (with every row before it) if it was not yet; null for
    // an index with no row.
    StatusItemRow* row(std::size_t index);
    // Makes every row not made yet, now.
    void makeAll();

  private:
    std::size_t rowCount() const;
    void replaceItem(StatusItemRow& row, const StatusItemInfo& item);
    void redrawStaleRows(std::size_t count);
    StatusItemRow* makeRow(const StatusItemInfo& item);
    void placeRows(std::size_t from);
    bool reserveListHeight();
    void deleteRetiredRows(std::size_t count);
    void scheduleRowBuilding();
    void buildPendingRows(std::size_t count);
    // The scroll view around the column, while there is one.
    QScrollArea* scrolling() const;

    QWidget& panel_;
    const PanelContent& content_;
    StatusItemRow::Activate activate_;
    std::function<void()> onRowsMade_;

    QWidget* column_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    // A list in a scroll view gets kRowsPerTurn new rows per turn of the loop, and as many
    // rows in sight drawn again for a new record.
    static constexpr std::size_t kRowsPerTurn = 3;
    std::vector<StatusItemRow*> rows_;
    // Rows given a new record that they have not been asked to draw yet.
    std::vector<QPointer<StatusItemRow>> staleRows_;
    // Rows a shorter list left over, out of sight, to be deleted kRowsRetiredPerTurn a turn.
    static constexpr std::size_t kRowsRetiredPerTurn = 30;
    std::vector<QPointer<StatusItemRow>> retiredRows_;
    bool rowBuildingScheduled_ = false;
};

}  // namespace stowbar::qt
