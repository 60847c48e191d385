#pragma once

#include "platform/ShellPorts.hpp"

namespace stowbar {

// The login item through ServiceManagement's SMAppService.mainAppService: its status as the
// system reports it (the port's values are the system's), and registration. The bundle's path
// extension is that of NSBundle.mainBundle's URL, "app" when running from Stowbar.app.
// Registration needs a signed application bundle; anywhere else the system refuses it, which
// this reports as a failed registration.
//
// Threading: main thread only; every call is synchronous.
class MacLoginItemService final : public LoginItemService {
  public:
    std::string mainBundlePathExtension() const override;
    LoginItemStatus status() const override;
    bool registerMainApp() override;
};

}  // namespace stowbar
