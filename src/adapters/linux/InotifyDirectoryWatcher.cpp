#include "adapters/linux/InotifyDirectoryWatcher.hpp"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/ShellPorts.hpp"

namespace stowbar {

namespace {

constexpr std::uint32_t kDirectoryEvents = IN_MODIFY | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO |
                                           IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF |
                                           IN_CLOSE_WRITE;

class InotifyWatch final : public DirectoryWatch {
  public:
    InotifyWatch(int descriptor, std::function<void()> onEvent)
        : descriptor_(descriptor),
          onEvent_(std::move(onEvent)),
          notifier_(std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read)) {
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { readEvents(); });
    }
    ~InotifyWatch() override { cancel(); }
    InotifyWatch(const InotifyWatch&) = delete;
    InotifyWatch& operator=(const InotifyWatch&) = delete;

    void cancel() override {
        notifier_.reset();
        if (descriptor_ >= 0) {
            close(descriptor_);
            descriptor_ = -1;
        }
    }

  private:
    void readEvents() {
        // Drain everything queued so one burst is one callback, and a full queue cannot keep
        // the descriptor readable forever.
        alignas(inotify_event) std::array<char, 4096> buffer{};
        bool any = false;
        for (;;) {
            const auto got = ::read(descriptor_, buffer.data(), buffer.size());
            if (got > 0) {
                any = true;
                continue;
            }
            if (got < 0 && errno == EINTR) {
                continue;
            }
            break;
        }
        if (any && onEvent_) {
            // The callback may cancel this watch; keep it alive for the call.
            auto callback = onEvent_;
            callback();
        }
    }

    int descriptor_;
    std::function<void()> onEvent_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::unique_ptr<DirectoryWatch> InotifyDirectoryWatcher::watch(const std::string& directory,
                                                               std::function<void()> onEvent) {
    const int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0) {
        return nullptr;
    }
    if (inotify_add_watch(descriptor, directory.c_str(), kDirectoryEvents | IN_ONLYDIR) < 0) {
        close(descriptor);
        return nullptr;
    }
    return std::make_unique<InotifyWatch>(descriptor, std::move(onEvent));
}

}  // namespace stowbar
