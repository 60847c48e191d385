#include "adapters/plist/BinaryPlistGuard.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "adapters/plist/BinaryPlistFormat.hpp"

namespace stowbar::plist {

namespace {

enum class MemoState : std::uint8_t { Unvisited, InProgress, Done };

struct Memo {
    MemoState state = MemoState::Unvisited;
    int height = 0;
    std::size_t nodes = 0;
    std::size_t payloadBytes = 0;
};

// A container being walked: the totals of the elements seen so far.
struct Frame {
    std::uint64_t object = 0;
    ObjectHeader header;
    std::uint64_t next = 0;
    int childHeight = 0;
    std::size_t nodes = 0;
    std::size_t payloadBytes = 0;
};

class Walk {
  public:
    Walk(const BinaryPlistLayout& layout, const BinaryPlistLimits& limits)
        : layout_(layout), limits_(limits) {}

    BinaryPlistCheck run() {
        // Every value and every key of an acceptable tree is at most one object each, so a
        // longer object table only serves to make this walk allocate.
        if (layout_.objectCount() > 2 * static_cast<std::uint64_t>(limits_.maximumNodes)) {
            return {BinaryPlistVerdict::TooManyNodes};
        }
        memo_.assign(static_cast<std::size_t>(layout_.objectCount()), Memo{});
        return walkFrom(layout_.topObject());
    }

  private:
    std::optional<ObjectHeader> header(std::uint64_t index) const { return layout_.header(index); }
    std::optional<std::uint64_t> reference(const ObjectHeader& container, std::uint64_t i) const {
        return layout_.reference(container, i);
    }

    // Adds a finished element to the container being walked; false once a limit is broken.
    bool addTo(Frame& frame, const Memo& element, BinaryPlistCheck& failure) const {
        frame.nodes += element.nodes;
        frame.payloadBytes += element.payloadBytes;
        frame.childHeight = std::max(frame.childHeight, element.height);
        return withinSizeLimits(frame.nodes, frame.payloadBytes, failure);
    }

    bool withinSizeLimits(std::size_t nodes, std::size_t payloadBytes,
                          BinaryPlistCheck& failure) const {
        if (nodes > limits_.maximumNodes) {
            failure.verdict = BinaryPlistVerdict::TooManyNodes;
            return false;
        }
        if (payloadBytes > limits_.maximumPayloadBytes) {
            failure.verdict = BinaryPlistVerdict::TooMuchPayload;
            return false;
        }
        return true;
    }

    static bool isContainer(const ObjectHeader& header) {
        return header.kind == ObjectKind::Array || header.kind == ObjectKind::Dictionary;
    }

    static Memo leaf(const ObjectHeader& header) {
        return {MemoState::Done, 1, 1, static_cast<std::size_t>(header.payloadBytes)};
    }

    BinaryPlistCheck walkFrom(std::uint64_t top) {
        BinaryPlistCheck check;
        const auto topHeader = header(top);
        if (!topHeader) {
            return check;
        }
        if (!isContainer(*topHeader)) {
            const Memo only = leaf(*topHeader);
            if (!withinSizeLimits(only.nodes, only.payloadBytes, check)) {
                return check;
            }
            return {BinaryPlistVerdict::Accepted, 1, only.nodes, only.payloadBytes};
        }
        if (limits_.maximumDepth < 1) {
            return {BinaryPlistVerdict::TooDeep};
        }
        memo_[top].state = MemoState::InProgress;
        stack_.push_back({top, *topHeader});

        while (!stack_.empty()) {
            Frame& frame = stack_.back();
            const std::uint64_t total = frame.header.kind == ObjectKind::Dictionary
                                            ? 2 * frame.header.count
                                            : frame.header.count;
            if (frame.next == total) {
                // The container is complete: remember it and hand it to its parent.
                Memo& done = memo_[frame.object];
                done = {MemoState::Done, frame.childHeight + 1, frame.nodes + 1,
                        frame.payloadBytes};
                if (!withinSizeLimits(done.nodes, done.payloadBytes, check)) {
                    return check;
                }
                stack_.pop_back();
                if (stack_.empty()) {
                    return {BinaryPlistVerdict::Accepted, done.height, done.nodes,
                            done.payloadBytes};
                }
                if (!addTo(stack_.back(), done, check)) {
                    return check;
                }
                continue;
            }

            const std::uint64_t i = frame.next++;
            const auto target = reference(frame.header, i);
            if (!target) {
                return check;
            }
            if (frame.header.kind == ObjectKind::Dictionary && i < frame.header.count) {
                // A key: a string that is copied, not a value with a level of its own.
                const auto key = header(*target);
                if (!key || key->kind != ObjectKind::String) {
                    return check;
                }
                frame.payloadBytes += static_cast<std::size_t>(key->payloadBytes);
                if (!withinSizeLimits(frame.nodes, frame.payloadBytes, check)) {
                    return check;
                }
                continue;
            }

            // The element sits one level below its container, whose depth is the stack size.
            const int elementDepth = static_cast<int>(stack_.size()) + 1;
            Memo& element = memo_[*target];
            if (element.state == MemoState::InProgress) {
                check.verdict = BinaryPlistVerdict::Cyclic;
                return check;
            }
            if (element.state == MemoState::Done) {
                if (elementDepth + element.height - 1 > limits_.maximumDepth) {
                    check.verdict = BinaryPlistVerdict::TooDeep;
                    return check;
                }
                if (!addTo(frame, element, check)) {
                    return check;
                }
                continue;
            }
            const auto elementHeader = header(*target);
            if (!elementHeader) {
                return check;
            }
            if (elementDepth > limits_.maximumDepth) {
                check.verdict = BinaryPlistVerdict::TooDeep;
                return check;
            }
            if (!isContainer(*elementHeader)) {
                element = leaf(*elementHeader);
                if (!addTo(frame, element, check)) {
                    return check;
                }
                continue;
            }
            element.state = MemoState::InProgress;
            // `frame` may dangle after this push; the loop takes the back afresh.
            stack_.push_back({*target, *elementHeader});
        }
        return check;
    }

    const BinaryPlistLayout& layout_;
    const BinaryPlistLimits& limits_;
    std::vector<Memo> memo_;
    std::vector<Frame> stack_;
};

}  // namespace

BinaryPlistCheck checkBinaryPlist(std::span<const std::uint8_t> bytes,
                                  const BinaryPlistLimits& limits) {
    const auto layout = BinaryPlistLayout::read(bytes);
    if (!layout) {
        return {};
    }
    return Walk(*layout, limits).run();
}

}  // namespace stowbar::plist
