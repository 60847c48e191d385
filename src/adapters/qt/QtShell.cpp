#include "adapters/qt/QtShell.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "adapters/qt/DesktopTranslucency.hpp"
#include "adapters/qt/HiddenItemPanel.hpp"
#include "adapters/qt/PanelAccessibility.hpp"
#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/SymbolPainter.hpp"
#include "platform/Geometry.hpp"
#include "platform/PanelHost.hpp"
#include "platform/ShellPorts.hpp"

namespace stowbar::qt {

namespace {

// The popup's corners match the panel's own rounded shape.
constexpr double kCornerRadius = 10;
// Space between the anchor and the popup, and between the popup and the screen's edges.
constexpr int kGap = 4;
// A tray activation this soon after the popup was closed by a press on the tray icon is the
// same click reaching the icon; it must not reopen the popup.
constexpr qint64 kIconPressActivationMilliseconds = 500;
// The sizes trays ask icons for; each is drawn at its own size rather than scaled.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64};

int rounded(double value) {
    if (!std::isfinite(value) || value < 1) {
        return 1;
    }
    return static_cast<int>(std::lround(std::min(value, 16384.0)));
}

QIcon symbolIcon(const std::string& symbolName) {
    const QColor colour = QApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (const int side : kIconSizes) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            // A little inset, as symbols sit in a menu bar with some air around them.
            const double inset = side / 8.0;
            paintSymbol(painter, symbolName,
                        QRectF(inset, inset, side - 2 * inset, side - 2 * inset), colour);
        }
        icon.addPixmap(pixmap);
    }
    // The nearest thing to a template image: trays that recolour monochrome icons may do so.
    icon.setIsMask(true);
    return icon;
}

QPainterPath roundedShape(const QRectF& rect) {
    QPainterPath shape;
    shape.addRoundedRect(rect, kCornerRadius, kCornerRadius);
    return shape;
}

}  // namespace

// The popover's window: draws the rounded fill the panel sits on, keeps the panel centred, and
// tells the shell about presses that arrive through the popup's grab from outside it.
class PopupWindow final : public QWidget {
  public:
    explicit PopupWindow(std::function<void(QPoint, bool)> onOutsidePress)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
          onOutsidePress_(std::move(onOutsidePress)) {
        setWindowTitle(QStringLiteral("Stowbar"));
        applyTranslucency();
    }

    // Without a compositor the clear corners of a translucent window show as black
    // triangles, so there the window is cut to the rounded shape instead. A compositor can
    // start or stop while the program runs: the hidden window is told before each showing.
    void setTranslucent(bool translucent) {
        if (translucent == translucent_) {
            return;
        }
        translucent_ = translucent;
        // The system window's pixel format (with or without alpha) is fixed when it is made:
        // a new one is made, with the new format, when the window is shown next.
        if (testAttribute(Qt::WA_WState_Created) && !isVisible()) {
            destroy();
        }
        applyTranslucency();
        patch_ = QImage();
        update();
    }

    void centreChild(QWidget* child) { QtShell::centreChild(*this, child); }

    QPointer<QWidget> content;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QColor fill = colourFor(Colour::popoverFill, palette());
        // Away from the rounded corners and the hairline edge the shape is one flat colour,
        // and the parts to draw again there (a row, the scroll indicator) are filled as plain
        // rectangles: the antialiased shape costs many times more and gives the same pixels.
        const QRect whole = rect();
        const int corner = static_cast<int>(std::ceil(kCornerRadius));
        const QRegion inside = QRegion(whole.adjusted(1, corner, -1, -corner)) |
                               QRegion(whole.adjusted(corner, 1, -corner, -1));
        // One rectangle of the region at a time: under a clip of many rectangles Qt fills
        // through per-line spans and hands a tall part's lines to its thread pool.
        for (const QRect& part : event->region() & inside) {
            painter.setClipRect(part);
            painter.fillRect(part, fill);
        }
        const QRegion edge = event->region() - inside;
        if (edge.isEmpty()) {
            return;
        }
        if (width() < kPatchSide || height() < kPatchSide) {
            // Too small to hold both corners of a side: the shape is drawn whole.
            painter.setClipRegion(edge);
            paintShape(painter, shapeWithin(rect()), fill);
            return;
        }
        paintEdge(painter, edge, fill);
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (!translucent_) {
            setMask(QRegion(roundedShape(QRectF(rect())).toFillPolygon().toPolygon()));
        }
        centreChild(content);
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint local = event->position().toPoint();
        if (!rect().contains(local)) {
            onOutsidePress_(event->globalPosition().toPoint(), event->button() == Qt::LeftButton);
        }
        // Qt's own handling closes the popup on a press outside it.
        QWidget::mousePressEvent(event);
    }

  private:
    // The window's rounded shape is drawn once, on a square of its own just large enough for
    // the two corners of a side and one line of straight edge between them, and the window's
    // edge is copied from it: the corners as they are, the straight line stretched between
    // them (each line of a straight edge is the same). Stroking the antialiased outline
    // costs many times more than copying it, and an edge beside every row a list change
    // touches is drawn again.
    static constexpr int kPatchCorner = static_cast<int>(kCornerRadius) + 2;
    static constexpr int kPatchSide = 2 * kPatchCorner + 1;

    static QPainterPath shapeWithin(const QRect& box) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(box).adjusted(0.25, 0.25, -0.25, -0.25), kCornerRadius,
                             kCornerRadius);
        return shape;
    }

    void paintShape(QPainter& painter, const QPainterPath& shape, const QColor& fill) const {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shape, fill);
        painter.setPen(QPen(colourFor(Colour::separator, palette()), 0.5));
        painter.drawPath(shape);
    }

    const QImage& patch(const QColor& fill) {
        const qreal ratio = devicePixelRatioF();
        const QColor edge = colourFor(Colour::separator, palette());
        if (patch_.isNull() || patch_.devicePixelRatio() != ratio || patchFill_ != fill ||
            patchEdge_ != edge) {
            patchFill_ = fill;
            patchEdge_ = edge;
            patch_ =
                QImage(QSize(kPatchSide, kPatchSide) * ratio, QImage::Format_ARGB32_Premultiplied);
            patch_.setDevicePixelRatio(ratio);
            // What the shape is drawn over: nothing in a translucent window; in an opaque
            // one the background Qt fills it with first.
            patch_.fill(translucent_ ? QColor(Qt::transparent) : palette().color(backgroundRole()));
            QPainter painter(&patch_);
            paintShape(painter, shapeWithin(QRect(0, 0, kPatchSide, kPatchSide)), fill);
        }
        return patch_;
    }

    // Copies the part of the edge in `region` from the patch: the window in three columns
    // and three rows, the outer ones the patch's corners, the middle ones its middle line.
    void paintEdge(QPainter& painter, const QRegion& region, const QColor& fill) {
        const QImage& source = patch(fill);
        const qreal ratio = source.devicePixelRatio();
        // Where a span of the window along one axis comes from in the patch.
        struct Span {
            int from;
            int to;
            int patchFrom;
            bool stretched;
        };
        const auto spans = [](int length) {
            return std::array<Span, 3>{
                Span{0, kPatchCorner, 0, false},
                Span{kPatchCorner, length - kPatchCorner, kPatchCorner, true},
                Span{length - kPatchCorner, length, kPatchCorner + 1, false}};
        };
        for (const Span& row : spans(height())) {
            for (const Span& column : spans(width())) {
                const QRect cell(column.from, row.from, column.to - column.from, row.to - row.from);
                for (const QRect& part : region.intersected(cell)) {
                    const double x = column.stretched ? column.patchFrom
                                                      : column.patchFrom + part.x() - column.from;
                    const double y =
                        row.stretched ? row.patchFrom : row.patchFrom + part.y() - row.from;
                    const double w = column.stretched ? 1 : part.width();
                    const double h = row.stretched ? 1 : part.height();
                    // One rectangle at a time, as the inside.
                    painter.setClipRect(part);
                    painter.drawImage(QRectF(part), source,
                                      QRectF(x * ratio, y * ratio, w * ratio, h * ratio));
                }
            }
        }
    }

    void applyTranslucency() {
        setAttribute(Qt::WA_TranslucentBackground, translucent_);
        // Made translucent once, a window keeps Qt's "no background" flag; opaque again, it is
        // filled with its background first, as the corners cut to shape expect.
        setAttribute(Qt::WA_NoSystemBackground, translucent_);
        if (translucent_) {
            clearMask();
        } else {
            setMask(QRegion(roundedShape(QRectF(rect())).toFillPolygon().toPolygon()));
        }
    }

    std::function<void(QPoint, bool)> onOutsidePress_;
    bool translucent_ = false;
    QImage patch_;
    QColor patchFill_;
    QColor patchEdge_;
};

QtShell::QtShell() = default;

QtShell::~QtShell() {
    // The panel belongs to the popup; the host only forgets it.
    host_.reset();
    popup_.reset();
    trayIcon_.reset();
}

bool QtShell::addStatusItem(const std::string& symbolName,
                            const std::string& accessibilityDescription,
                            std::function<void()> action) {
    if (QApplication::instance() == nullptr || trayIcon_) {
        return false;
    }
    action_ = std::move(action);
    trayIcon_ = std::make_unique<QSystemTrayIcon>();
    trayIcon_->setIcon(symbolIcon(symbolName));
    trayIcon_->setToolTip(QString::fromStdString(accessibilityDescription));
    QObject::connect(trayIcon_.get(), &QSystemTrayIcon::activated, trayIcon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         onTrayActivated(static_cast<int>(reason));
                     });
    // Shown at once where there is a tray; otherwise as soon as a later look finds one.
    waitingForTray_ = true;
    lookAgain();
    return true;
}

void QtShell::lookAgain() {
    if (!trayIcon_ || !waitingForTray_) {
        return;
    }
    const bool available =
        trayAvailable ? trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    if (available) {
        waitingForTray_ = false;
        trayIcon_->show();
    }
}

bool QtShell::waitingForTray() const {
    return waitingForTray_;
}

void QtShell::onTrayActivated(int reason) {
    // Only a plain click toggles; the second half of a double click, a middle click or a
    // context request does not.
    if (reason != QSystemTrayIcon::Trigger) {
        return;
    }
    if (closedByIconPress_) {
        const bool sameClick = closedByIconPress_->elapsed() < kIconPressActivationMilliseconds;
        closedByIconPress_.reset();
        if (sameClick) {
            return;
        }
    }
    if (action_) {
        action_();
    }
}

void QtShell::configure(Size contentSize, std::function<void()> didShow) {
    contentSize_ = contentSize;
    didShow_ = std::move(didShow);
    if (popup_) {
        placePopup();
    }
}

bool QtShell::ensurePopup() {
    if (popup_) {
        return true;
    }
    if (QApplication::instance() == nullptr) {
        return false;
    }
    // The popover is the application's window while it shows, for assistive technologies too.
    listPopupsInAccessibilityTree(
        [](const QWidget& window) { return dynamic_cast<const PopupWindow*>(&window) != nullptr; });
    popup_ = std::make_unique<PopupWindow>(
        [this](QPoint position, bool leftButton) { onOutsidePress(position, leftButton); });
    return true;
}

QWidget* QtShell::popupWindow() const {
    return popup_.get();
}

bool QtShell::isShown() const {
    return popup_ && popup_->isVisible();
}

void QtShell::show() {
    if (!ensurePopup()) {
        return;
    }
    const bool wasShown = popup_->isVisible();
    placePopup();
    if (wasShown) {
        return;
    }
    closedByIconPress_.reset();
    popup_->setTranslucent(translucencyAvailable ? translucencyAvailable()
                                                 : desktopBlendsTranslucentWindows());
    popup_->show();
    // A panel handed new content while hidden takes its size as it is shown.
    popup_->centreChild(popup_->content);
    popup_->raise();
    popup_->activateWindow();
    if (didShow_) {
        QMetaObject::invokeMethod(
            popup_.get(),
            [this] {
                if (didShow_) {
                    didShow_();
                }
            },
            Qt::QueuedConnection);
    }
}

void QtShell::close() {
    if (popup_) {
        popup_->hide();
    }
}

void QtShell::setContentSize(Size size) {
    contentSize_ = size;
    if (popup_) {
        placePopup();
    }
}

std::optional<Size> QtShell::preferredContentSize() const {
    return host_ ? host_->preferredSize() : std::nullopt;
}

QRect QtShell::anchor() const {
    if (anchorOverride) {
        return *anchorOverride;
    }
    if (trayIcon_) {
        const QRect geometry = trayIcon_->geometry();
        if (geometry.isValid() && !geometry.isEmpty()) {
            return geometry;
        }
    }
    // No position from the tray: hang from the top-right corner of the primary screen, where
    // the tray usually is.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return QRect(area.x() + area.width() - 1, area.y(), 1, 0);
}

void QtShell::placePopup() {
    const QRect from = anchor();
    const QScreen* screen = QGuiApplication::screenAt(from.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size(rounded(contentSize_.width), rounded(contentSize_.height));
    popup_->setGeometry(popupFrame(from, size, area));
}

void QtShell::centreChild(QWidget& window, QWidget* child) {
    if (child == nullptr) {
        return;
    }
    child->move(std::max(0, (window.width() - child->width()) / 2),
                std::max(0, (window.height() - child->height()) / 2));
}

QRect QtShell::popupFrame(const QRect& anchor, const QSize& size, const QRect& screen) {
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();

    int x = anchor.x() + (anchor.width() - size.width()) / 2;
    const int leftmost = screen.x() + kGap;
    const int rightmost = screenRight - kGap - size.width();
    x = rightmost < leftmost ? screen.x() : std::clamp(x, leftmost, rightmost);

    int y = anchor.y() + anchor.height() + kGap;
    if (y + size.height() > screenBottom) {
        const int above = anchor.y() - kGap - size.height();
        y = above >= screen.y() ? above : std::max(screen.y(), screenBottom - size.height());
    }
    return QRect(QPoint(x, y), size);
}

std::optional<EventMonitor::Token> QtShell::addGlobalLeftMouseDownMonitor(
    std::function<void()> handler) {
    const Token token = ++lastToken_;
    monitors_.emplace(token, std::move(handler));
    return token;
}

void QtShell::removeMonitor(Token token) {
    monitors_.erase(token);
}

void QtShell::onOutsidePress(QPoint globalPosition, bool leftButton) {
    if (trayIcon_ && trayIcon_->geometry().contains(globalPosition)) {
        // Our own icon: not another application; its activation must not reopen the popup.
        closedByIconPress_.emplace();
        closedByIconPress_->start();
        return;
    }
    if (!leftButton) {
        return;
    }
    for (const auto& entry : monitors_) {
        // Each monitor hears the click on a turn of its own, and not once it was removed.
        QMetaObject::invokeMethod(
            popup_.get(),
            [this, id = entry.first] {
                if (const auto found = monitors_.find(id); found != monitors_.end()) {
                    // A copy, as the handler may remove its own monitor.
                    const auto handler = found->second;
                    handler();
                }
            },
            Qt::QueuedConnection);
    }
}

void QtShell::setPanelActions(PanelActions actions) {
    if (!ensurePopup()) {
        return;
    }
    if (!host_) {
        host_ = std::make_unique<PanelWidgetHost>(popup_.get());
        host_->onRedraw = [this](HiddenItemPanel& panel) {
            popup_->content = &panel;
            popup_->centreChild(&panel);
        };
    }
    host_->setPanelActions(std::move(actions));
    popup_->content = host_->panel();
    popup_->centreChild(host_->panel());
}

void QtShell::setPanelInputs(const PanelInputs& inputs) {
    if (host_) {
        host_->setPanelInputs(inputs);
    }
}

}  // namespace stowbar::qt
