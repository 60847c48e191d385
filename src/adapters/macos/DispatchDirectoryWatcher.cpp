// Threading: main thread; callbacks on the main queue (see DispatchDirectoryWatcher.hpp).

#include "adapters/macos/DispatchDirectoryWatcher.hpp"

#include <dispatch/dispatch.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace stowbar {

namespace {

// A folder of preferences holds a handful of files; a bound keeps a huge folder from using up
// the process's descriptors.
constexpr std::size_t kMostWatchedFiles = 256;

constexpr unsigned long kEvents = DISPATCH_VNODE_WRITE | DISPATCH_VNODE_DELETE |
                                  DISPATCH_VNODE_EXTEND | DISPATCH_VNODE_RENAME |
                                  DISPATCH_VNODE_ATTRIB;

class DispatchDirectoryWatch;

// What one source's handlers reach through its context. It lives until the source's cancel
// handler, which dispatch runs after the last event handler, so no handler ever sees it freed.
struct Armed {
    int descriptor = -1;
    bool isDirectory = false;
    dispatch_source_t source = nullptr;
    DispatchDirectoryWatch* watch = nullptr;
};

void deliverEvent(void* context);

void closeOnCancel(void* context) {
    auto* armed = static_cast<Armed*>(context);
    close(armed->descriptor);
    delete armed;
}

// A vnode source on the folder hears entries added, removed or renamed, not a file rewritten in
// place; so each file in it is watched as well, and the files are armed again whenever the
// folder changes or a watched file is deleted or renamed (replaced by a save).
class DispatchDirectoryWatch final : public DirectoryWatch {
  public:
    DispatchDirectoryWatch(std::string directory, std::function<void()> onEvent)
        : directory_(std::move(directory)), onEvent_(std::move(onEvent)) {}
    ~DispatchDirectoryWatch() override { cancel(); }
    DispatchDirectoryWatch(const DispatchDirectoryWatch&) = delete;
    DispatchDirectoryWatch& operator=(const DispatchDirectoryWatch&) = delete;

    // False when the folder cannot be opened as one.
    bool start() {
        // O_DIRECTORY: a plain file opens too without it, and would be watched as if a folder.
        folder_ = arm(directory_, O_DIRECTORY, true);
        if (folder_ == nullptr) {
            return false;
        }
        armFiles();
        return true;
    }

    void cancel() override {
        stop(folder_);
        for (dispatch_source_t& file : files_) {
            stop(file);
        }
        files_.clear();
    }

    void heard(const Armed& armed) {
        const bool replaced =
            armed.isDirectory || (dispatch_source_get_data(armed.source) &
                                  (DISPATCH_VNODE_DELETE | DISPATCH_VNODE_RENAME)) != 0;
        if (replaced) {
            armFiles();
        }
        // Last: the handler may destroy this watch.
        const auto call = onEvent_;
        if (call) {
            call();
        }
    }

  private:
    dispatch_source_t arm(const std::string& path, int flags, bool isDirectory) {
        const int descriptor = open(path.c_str(), O_EVTONLY | O_CLOEXEC | flags);
        if (descriptor < 0) {
            return nullptr;
        }
        dispatch_source_t source =
            dispatch_source_create(DISPATCH_SOURCE_TYPE_VNODE, static_cast<uintptr_t>(descriptor),
                                   kEvents, dispatch_get_main_queue());
        if (source == nullptr) {
            close(descriptor);
            return nullptr;
        }
        dispatch_set_context(source, new Armed{descriptor, isDirectory, source, this});
        dispatch_source_set_event_handler_f(source, deliverEvent);
        dispatch_source_set_cancel_handler_f(source, closeOnCancel);
        dispatch_resume(source);
        return source;
    }

    void armFiles() {
        for (dispatch_source_t& file : files_) {
            stop(file);
        }
        files_.clear();
        std::error_code error;
        for (std::filesystem::directory_iterator entry(directory_, error), end;
             !error && entry != end && files_.size() < kMostWatchedFiles; entry.increment(error)) {
            std::error_code typeError;
            if (!entry->is_regular_file(typeError)) {
                continue;
            }
            if (dispatch_source_t file = arm(entry->path().string(), O_NOFOLLOW, false)) {
                files_.push_back(file);
            }
        }
    }

    static void stop(dispatch_source_t& source) {
        if (source == nullptr) {
            return;
        }
        // On the main thread, the queue the handlers run on: none runs now, and none after this.
        dispatch_source_cancel(source);
        dispatch_release(source);
        source = nullptr;
    }

    std::string directory_;
    std::function<void()> onEvent_;
    dispatch_source_t folder_ = nullptr;
    std::vector<dispatch_source_t> files_;
};

void deliverEvent(void* context) {
    const auto* armed = static_cast<const Armed*>(context);
    armed->watch->heard(*armed);
}

}  // namespace

std::unique_ptr<DirectoryWatch> DispatchDirectoryWatcher::watch(const std::string& directory,
                                                                std::function<void()> onEvent) {
    auto watch = std::make_unique<DispatchDirectoryWatch>(directory, std::move(onEvent));
    if (!watch->start()) {
        return nullptr;
    }
    return watch;
}

}  // namespace stowbar
