#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "runtime/ManualExecutor.hpp"

namespace stowbar {

// What the simulated Accessibility was asked about one application, so that tests can prove
// how many requests an operation makes and what an application that does not answer costs.
struct ApplicationRequests {
    // Attribute requests, in total and by attribute name.
    int attributeRequests = 0;
    std::map<std::string, int> attributes;
    // Calls of the window-number function on its elements.
    int windowNumberAttempts = 0;
    // Requests (of either kind) that failed because it did not answer, and the virtual
    // seconds they cost: each one its messaging timeout.
    int timeouts = 0;
    double secondsWaited = 0;
    // The messaging timeout last set through one of its elements, if any.
    std::optional<float> messagingTimeout;
    int messagingTimeoutsSet = 0;
    // Actions performed on its elements, by name, in order.
    std::vector<std::string> actions;

    int attributeRequestsFor(const std::string& attribute) const {
        const auto found = attributes.find(attribute);
        return found == attributes.end() ? 0 : found->second;
    }
};

struct AccessibilityRecord {
    std::map<std::int32_t, ApplicationRequests> applications;
    int trustChecks = 0;
    // Lookups of the window-number function by name.
    int windowNumberLookups = 0;
    // Sum over all applications.
    double secondsWaited = 0;

    // The requests made of `pid`; all zero when none were.
    ApplicationRequests of(std::int32_t pid) const {
        const auto found = applications.find(pid);
        return found == applications.end() ? ApplicationRequests{} : found->second;
    }
    int attributeRequests() const;
    int windowNumberAttempts() const;
};

// The live simulated desktop that every simulated port serves from: the desktop model, which
// the script and tests may change while a run goes on, and the record of what was asked.
//
// Threading: every member may be called from any thread. One mutex guards everything, so a
// scan on a worker thread and the main thread's calls see one consistent desktop; nothing
// inside ever waits while holding it (time spent on an application that does not answer is
// virtual and only recorded; a slow answer asked for on a worker waits on the attached loop's
// virtual clock with the mutex released).
class DesktopSimulation {
  public:
    // Until an application's messaging timeout is set, requests to it wait this long, as the
    // system's default does.
    static constexpr float kDefaultMessagingTimeout = 6.0f;

    explicit DesktopSimulation(SimulatedDesktop desktop = {});
    DesktopSimulation(const DesktopSimulation&) = delete;
    DesktopSimulation& operator=(const DesktopSimulation&) = delete;
    ~DesktopSimulation() = default;

    // A copy of the desktop as it is now.
    SimulatedDesktop desktop() const;

    // Changes the desktop in one step. Elements handed out before stay valid as long as their
    // application keeps running with the same extras; an application that ended, or whose
    // extras changed, answers its old elements as a real one answers stale elements.
    void update(const std::function<void(SimulatedDesktop&)>& change);

    AccessibilityRecord record() const;
    void clearRecord();

    // The loop whose virtual clock slow answers wait on (from worker threads only: the main
    // thread moves that clock), and what tells the workspace that an application ended by
    // itself (called with the mutex held; it should only post). Without a loop, slow answers
    // come at once. Attach null before the loop goes.
    void attach(ManualExecutor* loop, std::function<void()> applicationQuit);

    // Everything behind the mutex, for the simulated ports of this library.
    struct State {
        SimulatedDesktop desktop;
        // Identity of each running process, and of its current tree of elements: elements
        // remember the numbers they were made under.
        std::map<std::int32_t, std::uint64_t> processGenerations;
        std::map<std::int32_t, std::uint64_t> treeGenerations;
        std::uint64_t nextGeneration = 1;
        // Where each pid stands in desktop.applications (the first, should two share one).
        std::unordered_map<std::int32_t, std::size_t> positions;
        AccessibilityRecord record;
        // Every capture asked for, in order: the window number and whether it succeeded.
        std::vector<std::pair<std::uint32_t, bool>> captures;
        // Every press performed, in order: the pid of the element, the name its process had
        // when the element was made, and whether the element still answered (its process
        // running, its extra not replaced).
        struct Press {
            std::int32_t pid = 0;
            std::string application;
            bool found = true;
        };
        std::vector<Press> presses;
        // Requests each running process has answered since it launched.
        std::map<std::int32_t, std::uint32_t> answeredRequests;
        ManualExecutor* loop = nullptr;
        std::function<void()> applicationQuit;

        const SimulatedApplication* application(std::int32_t pid) const;
        // The messaging timeout that applies to requests to `pid` now.
        float messagingTimeout(std::int32_t pid) const;
        // Counts one answer of `pid`; an application that was to quit after it ends now.
        void answered(std::int32_t pid);
        // Keeps the generation numbers of the applications that run on unchanged and gives
        // new ones to the rest, after the applications changed from `before`.
        void renumber(const std::vector<SimulatedApplication>& before);
    };

    // Holds the mutex for as long as it lives.
    class Locked {
      public:
        State* operator->() const { return state_; }
        State& operator*() const { return *state_; }

      private:
        friend class DesktopSimulation;
        Locked(std::mutex& mutex, State& state) : lock_(mutex), state_(&state) {}
        std::unique_lock<std::mutex> lock_;
        State* state_;
    };
    Locked lock() const { return Locked(mutex_, state_); }

  private:
    mutable std::mutex mutex_;
    mutable State state_;
};

}  // namespace stowbar
