#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// Watches a directory with dispatch sources of type VNODE on descriptors opened with O_EVTONLY
// (which does not keep the volume from being unmounted), for writes, deletions, extensions,
// renames and attribute changes, delivered on the main queue. A source on a directory hears
// entries added, removed or renamed, not a file rewritten in place, so each regular file in it
// (up to 256) has a source too, armed again when the directory changes or the file is deleted
// or renamed. Anything but a directory that can be opened gives no watch and no message.
//
// Threading: watch() and cancel() on the main thread; callbacks on the main queue, which the Qt
// event loop drains, so on the main thread on a turn of their own. Cancelling stops the source
// at once: no callback follows cancel(), and the source's cancel handler closes the descriptor
// afterwards.
class DispatchDirectoryWatcher final : public DirectoryWatcher {
  public:
    std::unique_ptr<DirectoryWatch> watch(const std::string& directory,
                                          std::function<void()> onEvent) override;
};

}  // namespace stowbar
