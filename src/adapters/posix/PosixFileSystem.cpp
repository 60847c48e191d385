#include "adapters/posix/PosixFileSystem.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/FileSystem.hpp"

namespace stowbar {

namespace {

FileReadResult failure(int error) {
    return {std::nullopt, std::generic_category().message(error)};
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// The modification time with its nanoseconds: POSIX names the field st_mtim, Darwin
// st_mtimespec. Only the overload whose field exists takes part, so no system test is needed.
template <typename Stat>
auto modificationTime(const Stat& info) -> decltype(info.st_mtim) {
    return info.st_mtim;
}
template <typename Stat>
auto modificationTime(const Stat& info) -> decltype(info.st_mtimespec) {
    return info.st_mtimespec;
}

}  // namespace

std::optional<FileAttributes> PosixFileSystem::attributes(const std::string& path) const {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    FileAttributes attributes;
    const timespec modified = modificationTime(info);
    attributes.modificationDate = FileTimestamp{static_cast<std::int64_t>(modified.tv_sec),
                                                static_cast<std::int32_t>(modified.tv_nsec)};
    attributes.size = static_cast<std::uint64_t>(info.st_size);
    return attributes;
}

FileReadResult PosixFileSystem::readFile(const std::string& path) const {
    const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        return failure(errno);
    }
    struct stat info {};
    if (fstat(file.get(), &info) != 0) {
        return failure(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return failure(EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        return {std::nullopt, "Not a regular file"};
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaximumReadSize) {
        return failure(EFBIG);
    }

    // The size is only a hint: the file may grow or shrink while it is read.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > kMaximumReadSize) {
                return failure(EFBIG);
            }
            bytes.resize(std::min<std::size_t>(bytes.size() * 2, kMaximumReadSize + 1));
        }
        const ssize_t count = read(file.get(), bytes.data() + used, bytes.size() - used);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failure(errno);
        }
        if (count == 0) {
            break;
        }
        used += static_cast<std::size_t>(count);
    }
    bytes.resize(used);
    return {std::move(bytes), {}};
}

}  // namespace stowbar
