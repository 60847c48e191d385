#include "sim-main/ControlCenterFileWriter.hpp"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ios>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace stowbar {

namespace {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

std::string binaryOf(plist_t node) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    std::string result;
    if (bytes != nullptr) {
        result.assign(bytes, length);
        std::free(bytes);
    }
    return result;
}

}  // namespace

bool writeControlCenterHiddenSet(const std::string& path,
                                 const std::vector<std::string>& bundleIdentifiers,
                                 std::filesystem::file_time_type modified) {
    const PlistPtr entries(plist_new_array());
    for (const auto& identifier : bundleIdentifiers) {
        plist_t bundle = plist_new_dict();
        plist_dict_set_item(bundle, "_0", plist_new_string(identifier.c_str()));
        plist_t location = plist_new_dict();
        plist_dict_set_item(location, "bundle", bundle);
        plist_t entry = plist_new_dict();
        plist_dict_set_item(entry, "isAllowed", plist_new_bool(0));
        plist_dict_set_item(entry, "location", location);
        plist_array_append_item(entries.get(), entry);
    }
    const std::string inner = binaryOf(entries.get());
    const PlistPtr file(plist_new_dict());
    plist_dict_set_item(file.get(), "trackedApplications",
                        plist_new_data(inner.data(), inner.size()));
    const std::string outer = binaryOf(file.get());
    return !outer.empty() && writeControlCenterFile(path, outer, modified);
}

bool writeControlCenterFile(const std::string& path, const std::string& bytes,
                            std::filesystem::file_time_type modified) {
    std::error_code error;
    const std::filesystem::path target(path);
    std::filesystem::create_directories(target.parent_path(), error);
    const auto temporary = target.parent_path() / (target.filename().string() + ".new");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            return false;
        }
    }
    std::filesystem::last_write_time(temporary, modified, error);
    if (error) {
        return false;
    }
    std::filesystem::rename(temporary, target, error);
    return !error;
}

}  // namespace stowbar
