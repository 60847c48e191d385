#pragma once

#include "platform/ImageRenderer.hpp"

namespace stowbar {

// Redraws images with Qt's smooth (bilinear, area-averaging when shrinking) scaling, at two
// pixels per point like a high-density display. Needs no display: QImage works without a
// running application object.
class QtImageRenderer final : public ImageRenderer {
  public:
    ImageRef redraw(const Image& source, Size size) const override;
};

}  // namespace stowbar
