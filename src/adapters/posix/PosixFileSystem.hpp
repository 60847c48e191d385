#pragma once

#include "platform/FileSystem.hpp"

namespace stowbar {

// FileSystem over POSIX calls. Files are opened read-only, non-blocking (so a FIFO at the
// path cannot hang the caller) and are never locked.
class PosixFileSystem final : public FileSystem {
  public:
    std::optional<FileAttributes> attributes(const std::string& path) const override;
    FileReadResult readFile(const std::string& path) const override;
};

}  // namespace stowbar
