// The VPN check. The only real echo goes to 127.0.0.1; failures come from a fake.

#include "flow/icmp_pinger.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/clock.h"

namespace {

struct FakePinger : Pinger {
    bool answer = false;
    int calls = 0;
    QString address;
    int payload = 0;
    std::uint32_t timeout = 0;
    bool echo(const QString& a, int p, std::uint32_t t) override {
        ++calls, address = a, payload = p, timeout = t;
        return answer;
    }
};

bool icmpSocketAvailable() {
    for (int type : {SOCK_DGRAM, SOCK_RAW}) {
        const int fd = ::socket(AF_INET, type, IPPROTO_ICMP);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(PingVPN, OneEchoOf32BytesWithinOneSecond) {
    FakePinger fake;
    fake.answer = true;
    EXPECT_TRUE(PingVPN(fake, "127.0.0.1"));
    EXPECT_EQ(fake.address, "127.0.0.1");
    EXPECT_EQ(fake.payload, 32);
    EXPECT_EQ(fake.timeout, 1000u);

    fake.answer = false;  // a time-out or any other failure
    EXPECT_FALSE(PingVPN(fake, "127.0.0.1"));
}

TEST(PingVPN, NoAddressNoEcho) {
    FakePinger fake;
    fake.answer = true;
    EXPECT_FALSE(PingVPN(fake, ""));
    EXPECT_FALSE(PingVPN(fake, "   "));
    EXPECT_EQ(fake.calls, 0);
}

TEST(IcmpPinger, LoopbackAnswers) {
    if (!icmpSocketAvailable()) GTEST_SKIP() << "no ICMP socket allowed for this user";
    IcmpPinger pinger(systemClock());
    EXPECT_TRUE(PingVPN(pinger, "127.0.0.1"));
    EXPECT_FALSE(pinger.echo("127.0.0.1", -1, 1000));
    // Names are not resolved: the check must not wait for a resolver.
    EXPECT_FALSE(pinger.echo("localhost", 32, 1000));
}
