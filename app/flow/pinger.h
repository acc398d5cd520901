#pragma once
// Reachability of the insurer's VPN: one ICMP echo request. Production is IcmpPinger
// (icmp_pinger.h); the tests inject a fake.

#include <QString>
#include <cstdint>

class Pinger {
  public:
    virtual ~Pinger() = default;
    // One echo request with a payload of payloadSize bytes; true when a matching
    // reply arrived within timeoutMs. Blocks; shows nothing.
    virtual bool echo(const QString& address, int payloadSize, std::uint32_t timeoutMs) = 0;
};

inline constexpr int kVpnPingPayload = 32;
inline constexpr std::uint32_t kVpnPingTimeoutMs = 1000;

// True when sAddr answered one echo with a 32-byte payload within 1000 ms. An
// empty or unusable address is false; nothing is shown.
bool PingVPN(Pinger& pinger, const QString& sAddr);
