// Feeds arbitrary bytes to the libplist-backed property-list reader. Any crash, leak,
// sanitizer report or slow input is a bug in the reader's bounds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "adapters/plist/LibplistReader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const stowbar::LibplistReader reader;
    const auto value = reader.parse(std::span<const std::uint8_t>(data, size));
    // Reading the result back exercises the tree the reader built.
    if (value && value->find("trackedApplications") != nullptr) {
        if (const auto* blob =
                value->find("trackedApplications")->as<stowbar::PlistValue::Data>()) {
            (void)reader.parse(*blob);
        }
    }
    return 0;
}
