#include "sim-main/SoakRun.hpp"

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "sim-main/ScriptedApplication.hpp"
#include "sim-main/SoakChurn.hpp"

namespace stowbar {

namespace {

// The memory figures come from glibc and Linux (/proc, mallinfo2), the longest turn is
// processor time; elsewhere the soak line says null for each memory figure, since no figure
// of another system would compare with these.
#if defined(__GLIBC__)
void writeSoakDay(int day, double seconds, std::chrono::nanoseconds longestTurn) {
    long residentPages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        long sizePages = 0;
        if (std::fscanf(statm, "%ld %ld", &sizePages, &residentPages) != 2) {
            residentPages = 0;
        }
        std::fclose(statm);
    }
    const long rssKiB = residentPages * (sysconf(_SC_PAGESIZE) / 1024);
    const auto heap = mallinfo2();
    std::printf(
        "{\"t\":%.3f,\"event\":\"soak\",\"day\":%d,\"rssKiB\":%ld,\"heapBytes\":%zu,"
        "\"longestTurnMicros\":%lld}\n",
        seconds, day, rssKiB, heap.uordblks, static_cast<long long>(longestTurn.count() / 1000));
    std::fflush(stdout);
}
#else
void writeSoakDay(int day, double seconds, std::chrono::nanoseconds longestTurn) {
    std::printf(
        "{\"t\":%.3f,\"event\":\"soak\",\"day\":%d,\"rssKiB\":null,\"heapBytes\":null,"
        "\"longestTurnMicros\":%lld}\n",
        seconds, day, static_cast<long long>(longestTurn.count() / 1000));
    std::fflush(stdout);
}
#endif

}  // namespace

#if defined(__GLIBC__)
void runAgainWithoutThreadCaches(char** argv) {
    constexpr const char* kTunable = "glibc.malloc.tcache_count=0";
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables != nullptr && std::string(tunables).find(kTunable) != std::string::npos) {
        return;
    }
    std::string combined = tunables != nullptr && *tunables != '\0'
                               ? "GLIBC_TUNABLES=" + std::string(tunables) + ':' + kTunable
                               : std::string("GLIBC_TUNABLES=") + kTunable;
    // The same environment with the setting changed, handed to execve rather than set here:
    // setenv is not safe while any other thread might read the environment.
    std::vector<char*> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).substr(0, 15) != "GLIBC_TUNABLES=") {
            environment.push_back(*entry);
        }
    }
    environment.push_back(combined.data());
    environment.push_back(nullptr);
    execve("/proc/self/exe", argv, environment.data());
    std::cerr << "stowbar-sim: heap figures include glibc's thread caches\n";
}
#else
void runAgainWithoutThreadCaches(char** /*argv*/) {}
#endif

void driveWithChurn(ScriptedApplication& application, SoakChurn& churn) {
    application.actionSource = [&churn] {
        return churn.next();
    };
    application.beforeAction = [&churn, &application](const ScriptAction& action) {
        if (const auto day = churn.dayEndedBy(action)) {
            writeSoakDay(*day, action.at, application.takeLongestTurn());
        }
    };
}

}  // namespace stowbar
