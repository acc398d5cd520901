#pragma once
// Section "endpoints" of tolvane.ini: the addresses of everything outside this
// machine. The insurer's production values are the defaults where they are
// known; the others are empty, and whatever needs them reports that they are
// not configured.

#include <QString>

class IniFile;

struct Endpoints {
    static inline const QString kSection = QStringLiteral("endpoints");
    static inline const QString kDefaultCloudHost = QStringLiteral("medcloud2.nhi.gov.tw");

    QString cloudHost;       // "cloudHost": host[:port] of the cloud record site
    QString vpnTestAddress;  // "vpnTestAddress": address pinged to tell whether the VPN is up
    QString preventApiHost;  // "preventApiHost": host[:port] of the preventive-care API
    QString referralHost;    // "referralHost": host[:port] of the referral service
    QString testCertSha256;  // "testCertSha256": SHA-256 of a test server certificate to trust
    // "serviceTimeoutSeconds": how long one exchange with a web service may take.
    static constexpr int kDefaultServiceTimeoutSeconds = 30;
    int serviceTimeoutSeconds = kDefaultServiceTimeoutSeconds;

    static Endpoints read(const IniFile& ini);

    // URLaddr: the cloud site's start address on cloudHost.
    QString cloudStartAddress() const;
};
