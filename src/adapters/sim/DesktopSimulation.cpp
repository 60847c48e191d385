#include "adapters/sim/DesktopSimulation.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "adapters/sim/SimulatedDesktop.hpp"
#include "runtime/ManualExecutor.hpp"

namespace stowbar {

namespace {

// Two descriptions of one running application that would hand out the same elements.
bool sameTree(const SimulatedApplication& left, const SimulatedApplication& right) {
    return left.extrasMenuBar == right.extrasMenuBar && left.extras == right.extras &&
           left.answers == right.answers;
}

}  // namespace

int AccessibilityRecord::attributeRequests() const {
    int total = 0;
    for (const auto& entry : applications) {
        total += entry.second.attributeRequests;
    }
    return total;
}

int AccessibilityRecord::windowNumberAttempts() const {
    int total = 0;
    for (const auto& entry : applications) {
        total += entry.second.windowNumberAttempts;
    }
    return total;
}

const SimulatedApplication* DesktopSimulation::State::application(std::int32_t pid) const {
    const auto found = positions.find(pid);
    return found == positions.end() ? nullptr : &desktop.applications[found->second];
}

float DesktopSimulation::State::messagingTimeout(std::int32_t pid) const {
    const auto found = record.applications.find(pid);
    if (found == record.applications.end()) {
        return kDefaultMessagingTimeout;
    }
    return found->second.messagingTimeout.value_or(kDefaultMessagingTimeout);
}

DesktopSimulation::DesktopSimulation(SimulatedDesktop desktop) {
    state_.desktop = std::move(desktop);
    state_.renumber({});
}

SimulatedDesktop DesktopSimulation::desktop() const {
    const std::lock_guard lock(mutex_);
    return state_.desktop;
}

void DesktopSimulation::update(const std::function<void(SimulatedDesktop&)>& change) {
    const std::lock_guard lock(mutex_);
    // Only the applications are compared: copying the whole desktop, script included, on every
    // change made a long script's run quadratic.
    const std::vector<SimulatedApplication> before = state_.desktop.applications;
    change(state_.desktop);
    state_.renumber(before);
}

AccessibilityRecord DesktopSimulation::record() const {
    const std::lock_guard lock(mutex_);
    return state_.record;
}

void DesktopSimulation::clearRecord() {
    const std::lock_guard lock(mutex_);
    // Messaging timeouts are part of the applications' state, not of the record of requests.
    std::map<std::int32_t, float> timeouts;
    for (const auto& [pid, requests] : state_.record.applications) {
        if (requests.messagingTimeout) {
            timeouts[pid] = *requests.messagingTimeout;
        }
    }
    state_.record = AccessibilityRecord{};
    for (const auto& [pid, seconds] : timeouts) {
        state_.record.applications[pid].messagingTimeout = seconds;
    }
}

void DesktopSimulation::attach(ManualExecutor* loop, std::function<void()> applicationQuit) {
    const std::lock_guard lock(mutex_);
    state_.loop = loop;
    state_.applicationQuit = std::move(applicationQuit);
}

void DesktopSimulation::State::answered(std::int32_t pid) {
    const SimulatedApplication* running = application(pid);
    if (running == nullptr) {
        return;
    }
    const std::uint32_t count = ++answeredRequests[pid];
    if (!running->quitAfterRequests || count < *running->quitAfterRequests) {
        return;
    }
    const std::vector<SimulatedApplication> before = desktop.applications;
    std::erase_if(desktop.applications,
                  [pid](const SimulatedApplication& each) { return each.pid == pid; });
    renumber(before);
    if (applicationQuit) {
        applicationQuit();
    }
}

// Stale elements are told apart from current ones by these numbers.
void DesktopSimulation::State::renumber(const std::vector<SimulatedApplication>& before) {
    std::map<std::int32_t, std::uint64_t> processes;
    std::map<std::int32_t, std::uint64_t> trees;
    std::map<std::int32_t, std::uint32_t> answers;
    // `positions` still describes `before` here.
    const auto previousPositions = std::move(positions);
    for (const auto& application : desktop.applications) {
        const auto process = processGenerations.find(application.pid);
        const auto previousAt = previousPositions.find(application.pid);
        const SimulatedApplication* previous =
            previousAt == previousPositions.end() ? nullptr : &before[previousAt->second];
        if (process == processGenerations.end() || previous == nullptr) {
            processes[application.pid] = nextGeneration++;
            trees[application.pid] = nextGeneration++;
            // A new process starts with the system's default timeout.
            if (const auto old = record.applications.find(application.pid);
                old != record.applications.end()) {
                old->second.messagingTimeout.reset();
            }
            continue;
        }
        processes[application.pid] = process->second;
        if (const auto count = answeredRequests.find(application.pid);
            count != answeredRequests.end()) {
            answers.emplace(*count);
        }
        trees[application.pid] =
            sameTree(*previous, application) ? treeGenerations[application.pid] : nextGeneration++;
    }
    processGenerations = std::move(processes);
    treeGenerations = std::move(trees);
    answeredRequests = std::move(answers);
    positions.clear();
    for (std::size_t index = 0; index < desktop.applications.size(); ++index) {
        positions.emplace(desktop.applications[index].pid, index);
    }
}

}  // namespace stowbar
