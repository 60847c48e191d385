#pragma once

#include <QColor>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/HiddenItemPanelModel.hpp"

namespace stowbar::test {

// A picture of one opaque colour at two pixels per point, as a capture of a menu bar extra is.
inline ImageRef solidPicture(double widthPoints, double heightPoints, QColor colour) {
    Bitmap bitmap;
    bitmap.width = static_cast<int>(widthPoints * 2);
    bitmap.height = static_cast<int>(heightPoints * 2);
    bitmap.pixels.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height, colour.rgba());
    return std::make_shared<const Image>(Size{widthPoints, heightPoints}, std::move(bitmap));
}

inline StatusItemInfo item(std::uint32_t id, std::string name, ImageRef icon = nullptr) {
    StatusItemInfo result;
    result.id = id;
    result.windowID = id;
    result.appName = std::move(name);
    result.icon = std::move(icon);
    return result;
}

// `count` items with dark pictures and plain names, ids 801, 802, ...
inline std::vector<StatusItemInfo> pictureItems(std::size_t count) {
    static const char* const names[] = {"Dropbox",     "Weather",   "iStat Menus", "Backblaze",
                                        "Tailscale",   "Bartender", "1Password",   "Rectangle",
                                        "Amphetamine", "Hazel",     "CleanShot X", "Fantastical"};
    std::vector<StatusItemInfo> result;
    for (std::size_t i = 0; i < count; ++i) {
        const int shade = static_cast<int>(20 + 5 * (i % 12));
        result.push_back(item(static_cast<std::uint32_t>(801 + i), names[i % 12],
                              solidPicture(22, 22, QColor(shade, shade, shade))));
    }
    return result;
}

inline PanelInputs granted(std::vector<StatusItemInfo> items, bool loading = false) {
    return PanelInputs{std::move(items), true, true, loading};
}

}  // namespace stowbar::test
