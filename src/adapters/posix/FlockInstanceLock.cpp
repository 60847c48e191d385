#include "adapters/posix/FlockInstanceLock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

#include "platform/InstanceLock.hpp"

namespace stowbar {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string FlockInstanceLock::defaultPath(const std::string& home) {
    // Relative values are invalid for these variables and ignored, as the XDG rules say.
    std::string directory = variable("XDG_RUNTIME_DIR");
    if (directory.empty() || directory.front() != '/') {
        directory = variable("XDG_CACHE_HOME");
        if (directory.empty() || directory.front() != '/') {
            if (home.empty()) {
                return {};
            }
            directory = home + "/.cache";
        }
    }
    return directory + "/stowbar.lock";
}

FlockInstanceLock::~FlockInstanceLock() {
    if (descriptor_ >= 0) {
        close(descriptor_);
    }
}

InstanceLockResult FlockInstanceLock::acquire() {
    if (descriptor_ >= 0) {
        return InstanceLockResult::acquired;
    }
    if (path_.empty()) {
        return unavailable("no runtime or cache directory is known");
    }
    const std::filesystem::path file(path_);
    std::error_code ignored;
    // Why the directory could not be made, which says more than the open that fails after it.
    std::error_code making;
    if (file.has_parent_path() && !std::filesystem::exists(file.parent_path(), ignored)) {
        std::filesystem::create_directories(file.parent_path(), making);
        std::filesystem::permissions(file.parent_path(), std::filesystem::perms::owner_all,
                                     ignored);
    }
    const int descriptor = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        const std::string why = making ? making.message() : std::generic_category().message(errno);
        return unavailable(path_ + ": " + why);
    }
    int locked = 0;
    do {
        locked = flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        close(descriptor);
        if (error == EWOULDBLOCK) {
            return InstanceLockResult::heldByAnotherProcess;
        }
        return unavailable(path_ + ": " + std::generic_category().message(error));
    }
    descriptor_ = descriptor;
    return InstanceLockResult::acquired;
}

InstanceLockResult FlockInstanceLock::unavailable(const std::string& why) {
    if (complaints_ != nullptr) {
        *complaints_ << "stowbar: cannot lock out a second instance (" << why
                     << "); running without the lock\n"
                     << std::flush;
    }
    return InstanceLockResult::unavailable;
}

}  // namespace stowbar
