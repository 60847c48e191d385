// The file-system suite, run for the POSIX files that both Linux and macOS use.

#include <filesystem>

#include "adapters/posix/PosixFileSystem.hpp"
#include "conformance/FileSystemConformance.hpp"
#include "platform/FileSystem.hpp"
#include "support/TemporaryDirectory.hpp"

namespace stowbar::conformance {
namespace {

class PosixFilesHarness {
  public:
    const FileSystem& files() { return files_; }
    std::filesystem::path directory() { return directory_.path(); }

  private:
    test::TemporaryDirectory directory_;
    PosixFileSystem files_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemConformance, ::testing::Types<PosixFilesHarness>);

}  // namespace
}  // namespace stowbar::conformance
