#pragma once

#include "platform/ImageRenderer.hpp"

namespace stowbar::test {

// Redraws by remembering the new size only: enough where the pixels do not matter.
struct FakeImageRenderer final : ImageRenderer {
    ImageRef redraw(const Image& source, Size size) const override {
        return std::make_shared<const Image>(size, source.bitmap(), source.symbolName());
    }
};

}  // namespace stowbar::test
