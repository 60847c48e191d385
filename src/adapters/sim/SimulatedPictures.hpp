#pragma once

#include <cstdint>

#include "platform/Image.hpp"

namespace stowbar {

// The pictures the simulated desktop draws: plain, deterministic bitmaps whose colour says
// whose they are, so a snapshot shows at a glance which picture came from where.

// An application's icon: a rounded square in a colour derived from its pid.
ImageRef simulatedApplicationIcon(std::int32_t pid);

// What a capture of window `windowID` shows, at the requested pixel size.
Bitmap simulatedWindowPicture(std::uint32_t windowID, std::int64_t width, std::int64_t height);

}  // namespace stowbar
