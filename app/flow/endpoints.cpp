#include "endpoints.h"

#include "common/ini_file.h"

Endpoints Endpoints::read(const IniFile& ini) {
    Endpoints e;
    e.cloudHost = ini.readString(kSection, QStringLiteral("cloudHost"), QString());
    // An empty value means the production site, like a missing one.
    if (e.cloudHost.isEmpty()) e.cloudHost = kDefaultCloudHost;
    e.vpnTestAddress = ini.readString(kSection, QStringLiteral("vpnTestAddress"), QString());
    e.preventApiHost = ini.readString(kSection, QStringLiteral("preventApiHost"), QString());
    e.referralHost = ini.readString(kSection, QStringLiteral("referralHost"), QString());
    e.testCertSha256 = ini.readString(kSection, QStringLiteral("testCertSha256"), QString());
    // Every exchange ends at some time: a value that is no positive number is the default.
    e.serviceTimeoutSeconds = ini.readInteger(kSection, QStringLiteral("serviceTimeoutSeconds"),
                                              kDefaultServiceTimeoutSeconds);
    if (e.serviceTimeoutSeconds <= 0 || e.serviceTimeoutSeconds > 600)
        e.serviceTimeoutSeconds = kDefaultServiceTimeoutSeconds;
    return e;
}

QString Endpoints::cloudStartAddress() const {
    return QStringLiteral("https://") + cloudHost + QStringLiteral("/imu/IMUE1000/");
}
