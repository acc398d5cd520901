#pragma once
// The start-up sequence without the window: the institution list, the control
// software and its version, the caption, the cloud site's address, the VPN
// check and the stored settings. It runs once; what it decided is one value
// that the window applies to its controls and the queries read.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <optional>

#include "card/code_tables.h"
#include "endpoints.h"
#include "report/filter_rules.h"
#include "system_settings.h"

class ControlSoftware;
class Pinger;
class Prompts;

struct StartupResult {
    QString appPath;  // the program's folder, ending in '/'
    QString iniPath;  // "tolvane.ini" in it
    Endpoints endpoints;

    // Start-up reached its end: the control software was loaded and the stored
    // settings were read. Until it is, nothing below is decided, the controls
    // keep their design values and no change of them is stored.
    bool complete = false;
    // The control software's version was rejected: the program is to end as soon
    // as its message loop runs.
    bool endRequested = false;
    std::int32_t hisVersion = 0;  // xHISversion
    QString caption;              // the window's title
    QUrl cloudStartAddress;       // URLaddr
    bool vpn = false;             // bVPN: the cloud site may be used
    // What the first status text says about the VPN; empty when it answered.
    QString vpnStatus;

    settings::SystemSettings settings;  // as stored
    // The report's filter rules as stored in section "ICcardShow".
    report::FilterRules rules;
    // Stored widths of the laboratory list; nullopt: the design widths stay.
    std::optional<QList<int>> cloudLabDataWidths;

    // The institution table, built from the program folder.
    CHospitalSet hospitalSet;
};

class StartupFlow {
  public:
    StartupFlow(ControlSoftware& cs, Pinger& pinger, Prompts& prompts)
        : cs_(cs), pinger_(pinger), prompts_(prompts) {}

    // The program folder and the addresses: known before anything else runs,
    // since the browser is made for them.
    static StartupResult locate(const QString& appPath);

    // Runs the sequence on what locate() gave. currentPpi: the window's pixels per
    // inch now, the scale a missing or bad stored one falls back to.
    void run(StartupResult& result, int currentPpi);

  private:
    void readSettings(StartupResult& result, int currentPpi);

    ControlSoftware& cs_;
    Pinger& pinger_;
    Prompts& prompts_;
};
