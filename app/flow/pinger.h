#pragma once
// Reachability of the insurer's VPN: one ICMP echo request.

#include <QString>
#include <cstdint>

class Clock;

class Pinger {
  public:
    virtual ~Pinger() = default;
    // One echo request with a payload of payloadSize bytes; true when a matching
    // reply arrived within timeoutMs. Blocks; shows nothing.
    virtual bool echo(const QString& address, int payloadSize, std::uint32_t timeoutMs) = 0;
};

// ICMP echo to a numeric IPv4 address over an unprivileged datagram socket where
// the system allows it, else over a raw socket (root). The deadline is measured on the clock; every
// wait for the reply is bounded by what is left of it.
class IcmpPinger : public Pinger {
  public:
    explicit IcmpPinger(Clock& clock) : clock_(clock) {}
    bool echo(const QString& address, int payloadSize, std::uint32_t timeoutMs) override;

  private:
    Clock& clock_;
};

inline constexpr int kVpnPingPayload = 32;
inline constexpr std::uint32_t kVpnPingTimeoutMs = 1000;

// True when sAddr answered one echo with a 32-byte payload within 1000 ms. An
// empty or unusable address is false; nothing is shown.
bool PingVPN(Pinger& pinger, const QString& sAddr);
