#include "adapters/qt/QtImageRenderer.hpp"
#include "platform/Geometry.hpp"
#include "platform/Image.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace stowbar {
namespace {

// A refresh draws its initial icons on its background job while the main thread may draw
// too, so redraws made on several threads at once must give what one alone gives.
TEST(QtImageRendererTest, RedrawsOnSeveralThreadsAtOnceGiveThePicturesOfOneAlone) {
    Bitmap pixels{64, 64, {}};
    for (std::uint32_t i = 0; i < 64 * 64; ++i) {
        pixels.pixels.push_back(0xff000000u | (i * 2654435761u >> 8));
    }
    const Image source(Size{32, 32}, pixels);
    const QtImageRenderer renderer;
    const auto expected = renderer.redraw(source, Size{18, 18});
    ASSERT_TRUE(expected && expected->bitmap());
    ASSERT_EQ(expected->bitmap()->width, 36);

    std::array<bool, 4> same{};
    std::array<std::thread, 4> threads;
    for (std::size_t t = 0; t < threads.size(); ++t) {
        threads[t] = std::thread([&, t] {
            same[t] = true;
            for (int round = 0; round < 20; ++round) {
                const auto drawn = renderer.redraw(source, Size{18, 18});
                same[t] = same[t] && drawn && drawn->bitmap() == expected->bitmap();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const bool each : same) {
        EXPECT_TRUE(each);
    }
}

}  // namespace
}  // namespace stowbar
