// Threading: main thread (see MakeUpdater.hpp).

#include "adapters/macos/AbsentUpdater.hpp"
#include "adapters/macos/MakeUpdater.hpp"

namespace stowbar {

std::unique_ptr<Updater> makeUpdater() {
    return std::make_unique<AbsentUpdater>();
}

}  // namespace stowbar
