#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace stowbar::test {

// A fresh directory under the system's temporary directory, removed with everything in it
// when the object goes away.
class TemporaryDirectory {
  public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes `bytes` to `relative` (creating parent directories) and returns the full path.
    std::filesystem::path write(const std::filesystem::path& relative,
                                const std::vector<std::uint8_t>& bytes) const;

  private:
    std::filesystem::path path_;
};

}  // namespace stowbar::test
