#include "adapters/sim/SimulatedFileSystem.hpp"

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

#include "platform/FileSystem.hpp"
#include "runtime/Clock.hpp"

namespace stowbar {

std::optional<FileAttributes> SimulatedFileSystem::attributes(const std::string& path) const {
    return files_.attributes(path);
}

FileReadResult SimulatedFileSystem::readFile(const std::string& path) const {
    if (!simulation_.lock()->desktop.fullDiskAccessGranted) {
        return {std::nullopt, std::generic_category().message(EACCES)};
    }
    return files_.readFile(path);
}

std::int32_t SimulatedSystemInfo::processIdentifier() const {
    return simulation_.lock()->desktop.ownPid;
}

Duration SimulatedSystemInfo::systemUptime() const {
    if (clock_ == nullptr) {
        return system_.systemUptime();
    }
    return clock_->now().time_since_epoch();
}

}  // namespace stowbar
