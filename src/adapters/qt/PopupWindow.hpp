#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>

class QMouseEvent;
class QPainter;
class QPainterPath;
class QPaintEvent;
class QRegion;
class QResizeEvent;

namespace stowbar::qt {

// The popover's window: a frameless window that draws the rounded fill the panel sits on and
// keeps its content centred. Translucent, its clear corners show what lies beneath; opaque, it is
// cut to its rounded shape instead. A press that reaches it from outside its frame (only a
// Qt::Popup's grab delivers those) is reported before Qt's own handling, which closes a popup.
//
// Threading: main thread only; needs a QApplication.
class PopupWindow final : public QWidget {
  public:
    // `kind`: the window type and hints besides being frameless. `onOutsidePress`, when set,
    // hears each press from outside: where, in global coordinates, and whether it was the left
    // button.
    PopupWindow(Qt::WindowFlags kind, std::function<void(QPoint, bool)> onOutsidePress);

    // Without a compositor the clear corners of a translucent window show as black
    // triangles, so there the window is cut to the rounded shape instead. A compositor can
    // start or stop while the program runs: the hidden window is told before each showing.
    void setTranslucent(bool translucent);

    // Hosts `content` (or nothing) centred in the window, its top-left kept inside it.
    void setContent(QWidget* content);
    // Centres the content again, once its size changed.
    void centreContent();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void paintShape(QPainter& painter, const QPainterPath& shape, const QColor& fill) const;
    const QImage& patch(const QColor& fill);
    void paintEdge(QPainter& painter, const QRegion& region, const QColor& fill);
    void applyTranslucency();

    std::function<void(QPoint, bool)> onOutsidePress_;
    QPointer<QWidget> content_;
    bool translucent_ = false;
    QImage patch_;
    QColor patchFill_;
    QColor patchEdge_;
};

}  // namespace stowbar::qt
