#pragma once

namespace stowbar {

// Screen points, origin at the top-left of the main display, y growing downwards, as the
// Accessibility interface reports them.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    // The same rectangle with any negative width or height made positive by moving the
    // origin to the minimum corner.
    Rect standardized() const {
        Rect result = *this;
        if (result.size.width < 0) {
            result.origin.x += result.size.width;
            result.size.width = -result.size.width;
        }
        if (result.size.height < 0) {
            result.origin.y += result.size.height;
            result.size.height = -result.size.height;
        }
        return result;
    }
    double minY() const { return standardized().origin.y; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace stowbar
