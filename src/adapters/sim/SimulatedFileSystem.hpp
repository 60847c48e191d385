#pragma once

#include "adapters/sim/DesktopSimulation.hpp"
#include "platform/FileSystem.hpp"
#include "platform/SystemInfo.hpp"
#include "runtime/Clock.hpp"

namespace stowbar {

// The real files of this machine, behind the simulated Full Disk Access permission: while it
// is not granted every read fails as a permission error would, while attributes stay
// readable, which is how the protected Control Center file behaves on a real system.
//
// Threading: as the wrapped file system. Both it and the simulation must outlive this object.
class SimulatedFileSystem final : public FileSystem {
  public:
    SimulatedFileSystem(const FileSystem& files, const DesktopSimulation& simulation)
        : files_(files), simulation_(simulation) {}

    std::optional<FileAttributes> attributes(const std::string& path) const override;
    FileReadResult readFile(const std::string& path) const override;

  private:
    const FileSystem& files_;
    const DesktopSimulation& simulation_;
};

// The real system's facts, except that this process runs under the simulated desktop's own
// process id, so that the program can recognise itself among the running applications, and,
// once it follows a clock, the system has been up exactly as long as that clock has run, so
// that every time the program measures with the uptime is virtual time too.
class SimulatedSystemInfo final : public SystemInfo {
  public:
    SimulatedSystemInfo(const SystemInfo& system, const DesktopSimulation& simulation)
        : system_(system), simulation_(simulation) {}

    std::optional<std::string> homeDirectory() const override { return system_.homeDirectory(); }
    std::int32_t processIdentifier() const override;
    OperatingSystemVersion operatingSystemVersion() const override {
        return system_.operatingSystemVersion();
    }
    Duration systemUptime() const override;

    // The clock must outlive this object; null goes back to the real uptime.
    void followClock(const Clock* clock) { clock_ = clock; }

  private:
    const SystemInfo& system_;
    const DesktopSimulation& simulation_;
    const Clock* clock_ = nullptr;
};

}  // namespace stowbar
