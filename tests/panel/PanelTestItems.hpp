#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/HiddenItemPanelModel.hpp"

namespace stowbar::test {

// A picture drawn at two pixels per point, as a capture of a menu bar extra would be.
inline ImageRef drawnPicture(double widthPoints, double heightPoints,
                             const std::function<void(QPainter&, QSizeF)>& draw) {
    const int width = static_cast<int>(widthPoints * 2);
    const int height = static_cast<int>(heightPoints * 2);
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(2, 2);
        draw(painter, QSizeF(widthPoints, heightPoints));
    }
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::memcpy(bitmap.pixels.data() + static_cast<std::size_t>(y) * width,
                    canvas.constScanLine(y), static_cast<std::size_t>(width) * 4);
    }
    return std::make_shared<const Image>(Size{widthPoints, heightPoints}, std::move(bitmap));
}

inline ImageRef solidPicture(double widthPoints, double heightPoints, QColor colour) {
    return drawnPicture(widthPoints, heightPoints, [colour](QPainter& p, QSizeF size) {
        p.fillRect(QRectF({}, size), colour);
    });
}

// Dark glyphs on a clear ground, like the extras of a menu bar in light appearance.
inline ImageRef glyphPicture(int kind) {
    const QColor ink(30, 30, 30);
    switch (kind % 5) {
        case 0:  // a filled circle with a ring
            return drawnPicture(22, 22, [ink](QPainter& p, QSizeF) {
                p.setPen(QPen(ink, 1.6));
                p.drawEllipse(QPointF(11, 11), 8, 8);
                p.setBrush(ink);
                p.drawEllipse(QPointF(11, 11), 4, 4);
            });
        case 1:  // a wide capture with a reading, squeezed by the row
            return drawnPicture(40, 22, [ink](QPainter& p, QSizeF size) {
                QFont font = p.font();
                font.setPixelSize(13);
                font.setBold(true);
                p.setFont(font);
                p.setPen(ink);
                p.drawText(QRectF({}, size), Qt::AlignCenter, "42\u00B0");
            });
        case 2:  // three bars
            return drawnPicture(22, 22, [ink](QPainter& p, QSizeF) {
                p.setBrush(ink);
                p.setPen(Qt::NoPen);
                for (int i = 0; i < 3; ++i) {
                    p.drawRoundedRect(QRectF(4 + i * 5.5, 16 - i * 4.0, 3.5, 2 + i * 4.0), 1, 1);
                }
            });
        case 3:  // a cloud-like blob
            return drawnPicture(22, 22, [ink](QPainter& p, QSizeF) {
                QPainterPath cloud;
                cloud.addEllipse(QPointF(8, 12), 5, 4.5);
                cloud.addEllipse(QPointF(13, 10), 5.5, 5.5);
                cloud.addEllipse(QPointF(16, 13), 4, 3.5);
                p.fillPath(cloud.simplified(), ink);
            });
        default:  // a rounded square with a check
            return drawnPicture(22, 22, [ink](QPainter& p, QSizeF) {
                p.setPen(QPen(ink, 1.6));
                p.drawRoundedRect(QRectF(4, 4, 14, 14), 3.5, 3.5);
                p.drawPolyline(QPolygonF({QPointF(7.5, 11), QPointF(10, 13.5), QPointF(14.5, 8)}));
            });
    }
}

inline StatusItemInfo item(std::uint32_t id, std::string name, ImageRef icon = nullptr) {
    StatusItemInfo result;
    result.id = id;
    result.windowID = id;
    result.appName = std::move(name);
    result.icon = std::move(icon);
    return result;
}

// `count` items with pictures and plain names, ids 801, 802, ...
inline std::vector<StatusItemInfo> pictureItems(std::size_t count) {
    static const char* const names[] = {"Dropbox",     "Weather",   "iStat Menus", "Backblaze",
                                        "Tailscale",   "Bartender", "1Password",   "Rectangle",
                                        "Amphetamine", "Hazel",     "CleanShot X", "Fantastical"};
    std::vector<StatusItemInfo> result;
    for (std::size_t i = 0; i < count; ++i) {
        result.push_back(item(static_cast<std::uint32_t>(801 + i), names[i % 12],
                              glyphPicture(static_cast<int>(i))));
    }
    return result;
}

inline PanelInputs granted(std::vector<StatusItemInfo> items, bool loading = false) {
    return PanelInputs{std::move(items), true, true, loading};
}

}  // namespace stowbar::test
