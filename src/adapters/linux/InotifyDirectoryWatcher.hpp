#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// Watches a directory with inotify, delivering on the Qt event loop of the calling thread: one
// callback per readable burst of events, whatever they were. A directory that cannot be watched
// (missing, not a directory, no permission, out of watches) gives no watch and no message.
//
// Threading: watch() and cancel() on the thread whose Qt event loop delivers the callbacks (the
// main thread); a QCoreApplication must exist.
class InotifyDirectoryWatcher final : public DirectoryWatcher {
  public:
    std::unique_ptr<DirectoryWatch> watch(const std::string& directory,
                                          std::function<void()> onEvent) override;
};

}  // namespace stowbar
