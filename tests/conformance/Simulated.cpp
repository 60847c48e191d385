// The conformance suites, run for the simulated desktop's ports and the test fakes.

#include <functional>

#include "conformance/MainExecutorConformance.hpp"
#include "runtime/ManualExecutor.hpp"

namespace stowbar::conformance {
namespace {

// Virtual time: runUntil moves the clock from deadline to deadline, up to an hour on.
class ManualExecutorHarness {
  public:
    MainExecutor& executor() { return executor_; }
    bool runUntil(const std::function<bool()>& done) {
        return executor_.runUntil(done, executor_.now() + 1h);
    }

  private:
    ManualExecutor executor_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Manual, MainExecutorConformance,
                               ::testing::Types<ManualExecutorHarness>);

}  // namespace
}  // namespace stowbar::conformance
