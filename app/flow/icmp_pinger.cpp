#include "icmp_pinger.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/clock.h"

namespace {

// The address as IPv4. Only numeric addresses: a name would need the resolver,
// whose wait the one-second bound of the check cannot cover.
bool parseAddress(const QString& address, sockaddr_in& out) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    const QByteArray host = address.trimmed().toLatin1();
    return !host.isEmpty() && inet_pton(AF_INET, host.constData(), &out.sin_addr) == 1;
}

std::uint16_t checksum(const unsigned char* data, std::size_t len) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < len; i += 2) sum += (data[i] << 8) | data[i + 1];
    if (len % 2) sum += data[len - 1] << 8;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

class Socket {
  public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

bool IcmpPinger::echo(const QString& address, int payloadSize, std::uint32_t timeoutMs) {
    if (payloadSize < 0 || payloadSize > 1024) return false;
    sockaddr_in to{};
    if (!parseAddress(address, to)) return false;

    // A datagram socket lets the kernel fill in the identifier and keeps replies
    // of other processes away; a raw socket sees every ICMP packet, with IP header.
    bool raw = false;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        raw = true;
    }
    if (fd < 0) return false;
    Socket sock(fd);

    const std::uint16_t id = static_cast<std::uint16_t>(::getpid() & 0xFFFF);
    const std::uint16_t seq = 1;
    std::vector<unsigned char> packet(8 + static_cast<std::size_t>(payloadSize));
    packet[0] = ICMP_ECHO;
    packet[4] = static_cast<unsigned char>(id >> 8);
    packet[5] = static_cast<unsigned char>(id & 0xFF);
    packet[6] = static_cast<unsigned char>(seq >> 8);
    packet[7] = static_cast<unsigned char>(seq & 0xFF);
    for (int i = 0; i < payloadSize; ++i) packet[8 + i] = static_cast<unsigned char>('a' + i % 23);
    const std::uint16_t sum = checksum(packet.data(), packet.size());
    packet[2] = static_cast<unsigned char>(sum >> 8);
    packet[3] = static_cast<unsigned char>(sum & 0xFF);

    if (::sendto(sock.fd(), packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to) != static_cast<ssize_t>(packet.size()))
        return false;

    const std::uint32_t start = clock_.tickCount();
    std::array<unsigned char, 2048> buf{};
    // A raw socket also sees other programs' ICMP traffic; look at a bounded
    // number of packets, each wait bounded by what is left of the time-out.
    for (int packets = 0; packets < 256; ++packets) {
        const std::uint32_t spent = Clock::elapsed(start, clock_.tickCount());
        if (spent >= timeoutMs) return false;
        pollfd p{sock.fd(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(timeoutMs - spent));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = ::recvfrom(sock.fd(), buf.data(), buf.size(), 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0) continue;
        std::size_t off = 0;
        if (raw) {
            if (n < 1) continue;
            off = static_cast<std::size_t>(buf[0] & 0x0F) * 4;
        }
        if (static_cast<std::size_t>(n) < off + 8) continue;
        const unsigned char* icmp = buf.data() + off;
        if (from.sin_addr.s_addr != to.sin_addr.s_addr || icmp[0] != ICMP_ECHOREPLY) continue;
        const std::uint16_t replySeq = static_cast<std::uint16_t>((icmp[6] << 8) | icmp[7]);
        const std::uint16_t replyId = static_cast<std::uint16_t>((icmp[4] << 8) | icmp[5]);
        // The datagram socket rewrites the identifier; only a raw reply must match ours.
        if (replySeq == seq && (!raw || replyId == id)) return true;
    }
    return false;
}
