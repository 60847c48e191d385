// Threading: main thread; callbacks on the main queue (see DispatchDirectoryWatcher.hpp).

#include "adapters/macos/DispatchDirectoryWatcher.hpp"

#include <dispatch/dispatch.h>
#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace stowbar {

namespace {

// What the source's handlers reach through its context. It lives until the cancel handler,
// which dispatch runs after the last event handler, so no handler ever sees it freed.
struct Context {
    int descriptor = -1;
    std::function<void()> onEvent;
};

void deliverEvent(void* context) {
    auto* watched = static_cast<Context*>(context);
    if (watched->onEvent) {
        watched->onEvent();
    }
}

void closeOnCancel(void* context) {
    auto* watched = static_cast<Context*>(context);
    close(watched->descriptor);
    delete watched;
}

class DispatchDirectoryWatch final : public DirectoryWatch {
  public:
    explicit DispatchDirectoryWatch(dispatch_source_t source) : source_(source) {}
    ~DispatchDirectoryWatch() override { cancel(); }
    DispatchDirectoryWatch(const DispatchDirectoryWatch&) = delete;
    DispatchDirectoryWatch& operator=(const DispatchDirectoryWatch&) = delete;

    void cancel() override {
        if (source_ == nullptr) {
            return;
        }
        dispatch_source_cancel(source_);
        dispatch_release(source_);
        source_ = nullptr;
    }

  private:
    dispatch_source_t source_;
};

}  // namespace

std::unique_ptr<DirectoryWatch> DispatchDirectoryWatcher::watch(const std::string& directory,
                                                                std::function<void()> onEvent) {
    // O_DIRECTORY: a plain file opens too without it, and would be watched as if a folder.
    const int descriptor = open(directory.c_str(), O_EVTONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    const unsigned long events = DISPATCH_VNODE_WRITE | DISPATCH_VNODE_DELETE |
                                 DISPATCH_VNODE_EXTEND | DISPATCH_VNODE_RENAME |
                                 DISPATCH_VNODE_ATTRIB;
    dispatch_source_t source =
        dispatch_source_create(DISPATCH_SOURCE_TYPE_VNODE, static_cast<uintptr_t>(descriptor),
                               events, dispatch_get_main_queue());
    if (source == nullptr) {
        close(descriptor);
        return nullptr;
    }
    dispatch_set_context(source, new Context{descriptor, std::move(onEvent)});
    dispatch_source_set_event_handler_f(source, deliverEvent);
    dispatch_source_set_cancel_handler_f(source, closeOnCancel);
    dispatch_resume(source);
    return std::make_unique<DispatchDirectoryWatch>(source);
}

}  // namespace stowbar
