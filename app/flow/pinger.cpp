#include "pinger.h"

bool PingVPN(Pinger& pinger, const QString& sAddr) {
    if (sAddr.trimmed().isEmpty()) return false;
    return pinger.echo(sAddr, kVpnPingPayload, kVpnPingTimeoutMs);
}
