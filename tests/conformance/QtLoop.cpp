// The conformance suites, run for the Qt event loop of the Linux program.

#include "adapters/qt/QtApplication.hpp"
#include "conformance/ApplicationConformance.hpp"
#include "conformance/MainExecutorConformance.hpp"

namespace stowbar::conformance {
namespace {

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MainExecutorConformance,
                               ::testing::Types<ApplicationLoopHarness<QtApplication>>);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ApplicationConformance,
                               ::testing::Types<OwnedApplication<QtApplication>>);

}  // namespace
}  // namespace stowbar::conformance
