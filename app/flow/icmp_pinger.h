#pragma once
// The production side of Pinger.

#include <QString>
#include <cstdint>

#include "pinger.h"

class Clock;

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
