#include "adapters/linux/LinuxAccessibility.hpp"

#include <cstdint>
#include <memory>

#include "platform/Accessibility.hpp"

namespace stowbar {

namespace {

struct ProcessElement final : AXUIElement {
    explicit ProcessElement(std::int32_t process) : pid(process) {}
    std::int32_t pid;
};

}  // namespace

AXElement LinuxAccessibility::applicationElement(std::int32_t pid) {
    return std::make_shared<const ProcessElement>(pid);
}

}  // namespace stowbar
