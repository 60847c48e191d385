#include "adapters/qt/InotifyDirectoryWatcher.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fstream>

#include "support/TemporaryDirectory.hpp"

namespace stowbar {
namespace {

// The one place where a real, short wait is fine: the kernel delivers inotify events
// asynchronously. The wait ends as soon as the event arrived; the bound only stops a broken
// watch from hanging the test.
bool processEventsUntil(const std::function<bool()>& done) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && elapsed.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return done();
}

struct QtLoop {
    int argc = 1;
    char name[8] = "tests";
    char* argv[2] = {name, nullptr};
    QCoreApplication application{argc, argv};
};

TEST(InotifyDirectoryWatcher, ReportsAFileReplacedInTheDirectoryAndStopsOnCancel) {
    QtLoop loop;
    test::TemporaryDirectory directory;
    InotifyDirectoryWatcher watcher;
    int events = 0;
    auto watch = watcher.watch(directory.path().string(), [&] { ++events; });
    ASSERT_NE(watch, nullptr);

    // An atomic replacement: a new file beside the old one takes over its name.
    directory.write("prefs.plist.tmp", {1, 2, 3});
    std::filesystem::rename(directory.path() / "prefs.plist.tmp", directory.path() / "prefs.plist");
    ASSERT_TRUE(processEventsUntil([&] { return events > 0; }));

    watch->cancel();
    const int seen = events;
    directory.write("other", {4});
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(events, seen);
    watch->cancel();  // twice is harmless
}

TEST(InotifyDirectoryWatcher, GivesNoWatchForWhatCannotBeWatched) {
    QtLoop loop;
    test::TemporaryDirectory directory;
    const auto file = directory.write("plain-file", {1});
    InotifyDirectoryWatcher watcher;
    EXPECT_EQ(watcher.watch((directory.path() / "missing").string(), [] {}), nullptr);
    EXPECT_EQ(watcher.watch(file.string(), [] {}), nullptr);
}

}  // namespace
}  // namespace stowbar
