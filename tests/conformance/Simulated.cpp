// The conformance suites, run for the simulated desktop's ports and the test fakes.

#include <functional>
#include <sstream>
#include <thread>

#include "adapters/sim/DesktopSimulation.hpp"
#include "adapters/sim/ScriptedApplication.hpp"
#include "adapters/sim/SimulatedAccessibility.hpp"
#include "adapters/sim/SimulatedFileSystem.hpp"
#include "adapters/sim/SimulatedShell.hpp"
#include "adapters/sim/SimulatedWorkspace.hpp"
#include "conformance/ApplicationConformance.hpp"
#include "conformance/MainExecutorConformance.hpp"
#include "runtime/ManualExecutor.hpp"
#include "support/FakeApplication.hpp"

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

// The simulator's loop on an empty desktop with no script.
class ScriptedApplicationHarness {
  public:
    Application& application() { return application_; }

  private:
    struct NoFiles final : FileSystem {
        std::optional<FileAttributes> attributes(const std::string&) const override { return {}; }
        FileReadResult readFile(const std::string&) const override { return {{}, "none"}; }
    };
    DesktopSimulation simulation_;
    NoFiles files_;
    SimulatedWorkspace workspace_{simulation_};
    SimulatedShell shell_{files_};
    SimulatedAccessibility accessibility_{simulation_};
    ScanRecordingAccessibility scans_{accessibility_, std::this_thread::get_id()};
    std::ostringstream transcript_;
    ScriptedApplication application_{simulation_, workspace_, shell_,
                                     scans_,      "/nowhere", transcript_};
};

using SimulatedApplications =
    ::testing::Types<ScriptedApplicationHarness, OwnedApplication<test::FakeApplication>>;
INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, ApplicationConformance, SimulatedApplications);

}  // namespace
}  // namespace stowbar::conformance
