#include "startup_flow.h"

#include <QDir>
#include <cstring>

#include "card/control_software.h"
#include "common/ini_file.h"
#include "common/prompts.h"
#include "pinger.h"
#include "report/cloud_tables.h"
#include "settings_rules.h"
#include "startup_rules.h"

namespace {
const QString kICcardShow = QStringLiteral("ICcardShow");
}  // namespace

StartupResult StartupFlow::locate(const QString& appPath) {
    StartupResult r;
    r.appPath = QDir::fromNativeSeparators(appPath);
    if (!r.appPath.endsWith(QLatin1Char('/'))) r.appPath += QLatin1Char('/');
    r.iniPath = r.appPath + QStringLiteral("tolvane.ini");
    r.endpoints = Endpoints::read(IniFile(r.iniPath));
    return r;
}

void StartupFlow::run(StartupResult& r, int currentPpi) {
    r.hospitalSet.CreateHospitalSet(r.appPath);

    if (!cs_.LoadLibraryCshis()) {
        prompts_.message(startup::kMsgNoControlSoftware);
        return;
    }

    // The version text buffer: 250 spaces and a terminating zero; only the result is used.
    char hisPath[251];
    std::memset(hisPath, ' ', 250);
    hisPath[250] = '\0';
    const std::optional<std::int32_t> version = cs_.csGetVersionEx(hisPath);
    r.hisVersion = version.value_or(0);
    if (!version) {
        // Without its version entry the library cannot be told apart from an
        // unsupported one; it is rejected the same way, saying what is missing.
        prompts_.message(ControlSoftware::missingEntryMessage("csGetVersionEx"));
        r.endRequested = true;
    } else if (!startup::isSupportedVersion(r.hisVersion)) {
        prompts_.message(startup::kMsgBadVersion);
        r.endRequested = true;
    }

    r.caption = startup::windowCaption(startup::GetFileVersion(QString()), r.hisVersion);
    r.cloudStartAddress = QUrl(r.endpoints.cloudStartAddress());

    if (r.endpoints.vpnTestAddress.isEmpty()) {
        r.vpn = false;
        r.vpnStatus = startup::kMsgVpnNotConfigured;
    } else {
        r.vpn = PingVPN(pinger_, r.endpoints.vpnTestAddress);
        if (!r.vpn) r.vpnStatus = startup::kMsgNoVpn;
    }

    readSettings(r, currentPpi);
    r.complete = true;
}

void StartupFlow::readSettings(StartupResult& r, int currentPpi) {
    const IniFile ini(r.iniPath);
    r.settings = settings::loadSystemSettings(ini, currentPpi);
    r.rules = {settings::ruleListFromValue(ini.readString(kICcardShow, "名稱含字", QString())),
               settings::ruleListFromValue(ini.readString(kICcardShow, "診斷範圍", QString())),
               settings::ruleListFromValue(ini.readString(kICcardShow, "ATC3含字", QString()))};
    r.cloudLabDataWidths =
        settings::cloudLabDataWidths(ini.readString(kICcardShow, "CloudLabData", QString()),
                                     static_cast<int>(report::labColumns().size()));
}
