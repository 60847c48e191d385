// The reader's cost against the floor it cannot avoid: a stat for the fingerprint, and a stat,
// one read and the parse of both lists for the snapshot.

#include <benchmark/benchmark.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <string>

#include "adapters/plist/LibplistReader.hpp"
#include "adapters/posix/PosixFileSystem.hpp"
#include "core/ControlCenterTrackedApps.hpp"
#include "support/FakeSystemInfo.hpp"
#include "support/PlistBuilder.hpp"
#include "support/TemporaryDirectory.hpp"

namespace {

using namespace stowbar;
using test::Plist;

// A file shaped like a real one: 40 application entries, half of them hidden, each with a
// bundle location and a couple of menu item locations.
struct RealisticHome {
    RealisticHome() {
        system.home = home.path().string();
        plist_t entries = plist_new_array();
        for (int i = 0; i < 40; ++i) {
            const std::string id = "com.example.application" + std::to_string(i);
            const auto entry = Plist::dict(
                {{"isAllowed", Plist::boolean(i % 2 == 0)},
                 {"location", test::bundleLocation(id)},
                 {"menuItemLocations",
                  Plist::array({test::bundleLocation(id), test::bundleLocation(id + ".helper")})},
                 {"lastSeen", Plist::real(7.5e8 + i)},
                 {"name", Plist::string("Application " + std::to_string(i))}});
            plist_array_append_item(entries, plist_copy(entry.node()));
        }
        const Plist blob(entries);
        const auto file = Plist::dict(
            {{"trackedApplications", Plist::data(blob.binary())}, {"version", Plist::integer(3)}});
        path = home.write(
                       "Library/Group Containers/group.com.apple.controlcenter/Library/"
                       "Preferences/group.com.apple.controlcenter.plist",
                       file.binary())
                   .string();
    }

    test::TemporaryDirectory home;
    test::FakeSystemInfo system;
    PosixFileSystem files;
    LibplistReader propertyLists;
    std::string path;
};

RealisticHome& fixture() {
    static RealisticHome home;
    return home;
}

void BM_StatAlone(benchmark::State& state) {
    const auto& home = fixture();
    struct stat info {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(stat(home.path.c_str(), &info));
    }
}
BENCHMARK(BM_StatAlone);

void BM_Fingerprint(benchmark::State& state) {
    const auto& home = fixture();
    const ControlCenterTrackedApps reader(home.system, home.files, home.propertyLists);
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.fingerprint());
    }
}
BENCHMARK(BM_Fingerprint);

// What loadSnapshot cannot avoid, made with the program's own ports: the attribute query,
// the whole read, and the parse of the file and of the list embedded in it.
void BM_FloorStatReadAndParse(benchmark::State& state) {
    const auto& home = fixture();
    for (auto _ : state) {
        benchmark::DoNotOptimize(home.files.attributes(home.path));
        const auto contents = home.files.readFile(home.path);
        const auto root = home.propertyLists.parse(*contents.bytes);
        const auto entries =
            home.propertyLists.parse(*root->find("trackedApplications")->as<PlistValue::Data>());
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_FloorStatReadAndParse);

void BM_LoadSnapshot(benchmark::State& state) {
    const auto& home = fixture();
    const ControlCenterTrackedApps reader(home.system, home.files, home.propertyLists);
    for (auto _ : state) {
        const auto snapshot = reader.loadSnapshot();
        if (!snapshot || snapshot->hiddenBundleIdentifiers.size() != 40) {
            state.SkipWithError("unexpected snapshot");
        }
        benchmark::DoNotOptimize(snapshot);
    }
}
BENCHMARK(BM_LoadSnapshot);

}  // namespace
