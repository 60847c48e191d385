#pragma once

#include <QRect>
#include <QStaticText>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

#include "adapters/qt/SymbolPainter.hpp"
#include "core/MenuBarItemRecords.hpp"

namespace stowbar::qt {

// One hidden menu bar extra in the panel's list: its picture stretched into 18 × 18 points,
// its application's name on one line, and the accent-coloured highlight while the pointer is
// over the row. A click anywhere on the row, the margins included, hands the row's item to
// the activation callback.
//
// Threading: main thread, like every widget.
class StatusItemRow final : public QWidget {
  public:
    using Activate = std::function<void(const StatusItemInfo&)>;

    // Layout metrics in points (logical pixels).
    static constexpr int kOuterMargin = 6;
    static constexpr int kInsetHorizontal = 12;
    static constexpr int kInsetVertical = 4;
    static constexpr int kPictureSide = 18;
    static constexpr int kGap = 10;
    static constexpr int kSpacerMinimum = 8;
    static constexpr int kHighlightRadius = 12;

    StatusItemRow(StatusItemInfo item, Activate onActivate, QWidget* parent = nullptr);

    const StatusItemInfo& item() const { return item_; }
    // A new record for the same row, such as a captured picture replacing the initial one.
    // The hover flag stays as it is.
    void setItem(const StatusItemInfo& item);
    // The same without asking for the redraw: returns whether the row must be drawn again to
    // show the new record, which is then the caller's to ask for with redraw().
    bool replaceItem(const StatusItemInfo& item);
    // Asks for the row to be drawn again. Everything the row draws lies inside the highlight's
    // box, so only that is: the margins beside it reach the popover's rounded edge, which
    // would be drawn again with them.
    void redraw();

    bool isHovered() const { return hovered_; }
    // What the pointer entering (true) or leaving (false) the row does.
    void setHovered(bool hovered);
    // The keyboard's focus on the row, drawn as the same highlight as the pointer's.
    bool isFocused() const { return focused_; }
    void setFocused(bool focused);
    bool isHighlighted() const { return hovered_ || focused_; }
    // What a click on the row does: one call of the activation callback with the item.
    void activate();

    // Where the parts are drawn, in the row's coordinates, for tests and pictures.
    QRect highlightRect() const;
    QRect pictureRect() const;
    QRect nameRect() const;
    // The name as drawn: the whole name, or its beginning with an ellipsis when it is too long.
    QString displayedName() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // The name as measured for one width of the row.
    struct NameLayout {
        int available = 0;
        int natural = 0;
        int lineHeight = 0;
        QString displayed;
        // `displayed`, shaped once for drawing.
        QStaticText shaped;
    };
    int rowHeight() const;
    const NameLayout& nameLayout() const;

    StatusItemInfo item_;
    Activate onActivate_;
    bool hovered_ = false;
    bool focused_ = false;
    bool pressed_ = false;
    mutable std::optional<NameLayout> name_;
    ScaledPicture picture_;
};

}  // namespace stowbar::qt
