#include "adapters/qt/PanelDriver.hpp"

#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

#include "adapters/qt/HiddenItemPanel.hpp"
#include "adapters/qt/PanelStyle.hpp"
#include "adapters/qt/PanelWidgets.hpp"
#include "adapters/qt/StatusItemRow.hpp"
#include "core/UserTexts.hpp"

namespace stowbar::qt {

void PanelDriver::hoverQuit() {
    panel_.movePointerOver(panel_.quitButton());
}

void PanelDriver::hoverUpdates() {
    panel_.movePointerOver(panel_.updatesButton());
}

bool PanelDriver::hoverRow(std::size_t index) {
    StatusItemRow* row = panel_.row(index);
    if (row == nullptr) {
        return false;
    }
    panel_.movePointerOver(row);
    return true;
}

void PanelDriver::clearHover() {
    panel_.movePointerOver(nullptr);
}

bool PanelDriver::clickRow(std::size_t index) {
    StatusItemRow* row = panel_.row(index);
    if (row == nullptr) {
        return false;
    }
    row->activate();
    return true;
}

bool PanelDriver::clickButton(std::string_view label) {
    QAbstractButton* button = nullptr;
    if (label == panel_text::kUpdates) {
        // A panel that offers no updates keeps its "Updates" button hidden.
        button = panel_.updatesButton();
    } else if (label == panel_text::kQuit) {
        button = panel_.quitButton();
    } else if (label == panel_text::kOpenSettings) {
        button = panel_.openSettingsButton();
    }
    if (button == nullptr || button->isHidden()) {
        return false;
    }
    button->click();
    return true;
}

QImage PanelDriver::renderImage(double devicePixelRatio) {
    if (!(devicePixelRatio >= 1 && devicePixelRatio <= 8)) {
        devicePixelRatio = 2;
    }
    // A picture shows the whole list, also the rows not made yet, at the panel's new height.
    panel_.layOutWhole();

    const QSize logical = panel_.size();
    QImage image(QSize(static_cast<int>(std::ceil(logical.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(logical.height() * devicePixelRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);

    const QPainterPath shape = HiddenItemPanel::shape(logical);
    SpinnerView* spinner = panel_.spinner();
    if (spinner != nullptr) {
        spinner->setFrozen(true);
    }
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // The popover's fill, which the panel itself does not draw.
        painter.fillPath(shape, colourFor(Colour::popoverFill, panel_.palette()));
        panel_.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);

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
        constexpr double corner = HiddenItemPanel::kCornerRadius;
        QPainterPath edge;
        edge.addRoundedRect(QRectF(0.25, 0.25, logical.width() - 0.5, logical.height() - 0.5),
                            corner - 0.25, corner - 0.25);
        painter.setPen(QPen(colourFor(Colour::separator, panel_.palette()), 0.5));
        painter.drawPath(edge);
    }
    if (spinner != nullptr) {
        spinner->setFrozen(false);
    }
    return image;
}

bool PanelDriver::renderSnapshot(const std::string& pngPath) {
    return renderImage().save(QString::fromStdString(pngPath), "PNG");
}

}  // namespace stowbar::qt
