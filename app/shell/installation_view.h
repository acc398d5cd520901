#pragma once
// The program's partners as an installation has them — the control software,
// the health-promotion helper and the VPN add-on component beside the program,
// the embedded browser engine — and the window's dependencies made from them.
// The program and the end-to-end tests both start the window through this, so
// what the tests run is wired as the user's program is.

#include <QString>

#include "card/hpabhp_library.h"
#include "card/loaded_control_software.h"
#include "cloud/cshisx_addon.h"
#include "tftolv_view.h"

class Installation {
  public:
    // `appPath`: the program's folder, ending in "/".
    explicit Installation(const QString& appPath);
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // The window's dependencies; the browser keeps its profile in `profileFolder`.
    TFtolv::Deps deps(Pinger& pinger, Prompts& prompts, Clock& clock,
                      const QString& profileFolder);

    LoadedControlSoftware controlSoftware;
    HpaBhpLibrary healthPromotion;
    CsHisXAddOn vpnAddOn;

  private:
    QString appPath_;
};
