// termios mapping of the serial layer. Line settings and the flow-control table
// follow the Windows layer as far as termios has them; DSR sensitivity and driver
// queue sizes have no counterpart and are left alone.

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "clock.h"
#include "serial/port.h"

namespace reader {
namespace {

int portFd = -1;
int systemError = 0;

// Keeps the error number of a failed call for lastSystemError().
Result failed(int err) {
    systemError = err;
    return kPortFailed;
}

bool speedFor(unsigned baud, speed_t* out) {
    static constexpr struct {
        unsigned baud;
        speed_t speed;
    } kSpeeds[] = {{110, B110},     {300, B300},     {600, B600},       {1200, B1200},
                   {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
                   {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}};
    for (const auto& s : kSpeeds) {
        if (s.baud == baud) {
            *out = s.speed;
            return true;
        }
    }
    return false;
}

bool configure(int fd, unsigned index, const LineSettings& s) {
    speed_t speed;
    if (!speedFor(s.baud, &speed) || s.dataBits < 5) {
        errno = EINVAL;
        return false;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;

    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &=
        ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CLOCAL | CREAD;
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[s.dataBits - 5];
    switch (s.parity) {
        case kParityOdd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case kParityEven:
            tio.c_cflag |= PARENB;
            break;
        case kParityMark:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case kParitySpace:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // termios knows one or two stop bits; one and a half is two at five data bits.
    if (s.stopBits != kStopOne) tio.c_cflag |= CSTOPB;
    // COM1 to COM4 use CTS output flow control, COM5 to COM8 none.
    if (index < 4) tio.c_cflag |= CRTSCTS;
    // Reads never block in the driver: the loop waits on the descriptor itself.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        // A pseudo-terminal drops the parity setting, and the C library then reports
        // EINVAL although the rest was applied. Accept the port when raw mode and the
        // speed did take effect.
        termios now{};
        if (errno != EINVAL || tcgetattr(fd, &now) != 0 || cfgetospeed(&now) != speed ||
            (now.c_lflag & (ICANON | ECHO)) != 0)
            return false;
    }

    // DTR held off on every port; RTS held on for COM1 to COM4, off for the others.
    // Terminals without modem lines refuse these; that is no reason to fail.
    int dtr = TIOCM_DTR;
    (void)ioctl(fd, TIOCMBIC, &dtr);
    int rts = TIOCM_RTS;
    (void)ioctl(fd, index < 4 ? TIOCMBIS : TIOCMBIC, &rts);
    return true;
}

void closeFd() {
    (void)ioctl(portFd, TIOCNXCL);
    close(portFd);
    portFd = -1;
}

enum class Wait { kReady, kTimedOut, kLineGone };

// Waits until the port is ready for `events` or `ms` pass.
Wait waitFor(short events, int ms) {
    if (ms < 0) ms = 0;
    Clock& c = clock();
    pollfd p{portFd, events, 0};
    int rc;
    do {
        rc = poll(&p, 1, c.lineWaitMs(ms));
    } while (rc < 0 && errno == EINTR);
    if (rc == 0) {
        c.lineIdle(ms);
        return Wait::kTimedOut;
    }
    // A hung-up or broken line would wake every poll at once: stop instead of spinning.
    // (Only asked after a read found nothing, so POLLHUP here means no more data.)
    if (rc < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) || (p.revents & events) == 0)
        return Wait::kLineGone;
    return Wait::kReady;
}

// Time left before a transfer started at `start` passes the limit, plus one so the
// limit test after the wait sees it exceeded.
int remainingMs(std::int64_t start) {
    const std::int64_t left = kTransferLimitMs + 1 - (clock().nowMs() - start);
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::string portDeviceName(unsigned index) {
    // snprintf rather than std::to_string: the latter brings a process-unique
    // symbol that would keep the library from ever being unloaded.
    char var[32];
    std::snprintf(var, sizeof var, "READER_COM%u", index + 1);
    if (const char* v = std::getenv(var); v && *v) return v;
    char device[32];
    std::snprintf(device, sizeof device, "/dev/ttyS%u", index);
    return device;
}

Result OpenPort(unsigned index, const LineSettings& s) {
    if (!validLineSettings(index, s)) return failed(0);
    // No O_CREAT: only an existing device is ever opened.
    int fd = open(portDeviceName(index).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(errno);
    // Keep descriptors 0 to 2 free so the handle value is never 0.
    if (fd < 3) {
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        const int err = errno;
        close(fd);
        if (moved < 0) return failed(err);
        fd = moved;
    }
    if (!isatty(fd)) {
        const int err = errno;
        close(fd);
        return failed(err);
    }
    (void)ioctl(fd, TIOCEXCL);
    portFd = fd;
    if (!configure(fd, index, s)) {
        const int err = errno;
        closeFd();
        return failed(err);
    }
    tcflush(fd, TCIOFLUSH);
    return kOk;
}

Result ClosePort() {
    if (portFd < 0) return failed(EBADF);
    closeFd();
    return kOk;
}

bool portIsOpen() { return portFd >= 0; }

int lastSystemError() { return systemError; }

std::uint32_t portHandleValue() { return portFd < 0 ? 0 : static_cast<std::uint32_t>(portFd); }

Result WriteAll(const std::uint8_t* data, int length) {
    if (portFd < 0) return failed(EBADF);
    tcflush(portFd, TCIOFLUSH);
    if (!data || length < 1) return failed(0);
    const std::int64_t start = clock().nowMs();
    int written = 0;
    for (;;) {
        const ssize_t n = write(portFd, data + written, static_cast<std::size_t>(length - written));
        if (n > 0) {
            written += static_cast<int>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return failed(errno);
        }
        if (clock().nowMs() - start > kTransferLimitMs) return failed(ETIMEDOUT);
        if (written == length) return kOk;
        const int left = remainingMs(start);
        if (waitFor(POLLOUT, left < kWriteCallLimitMs ? left : kWriteCallLimitMs) ==
            Wait::kLineGone)
            return failed(EIO);
    }
}

Result ReadExact(int count, std::uint8_t* dest, int* arrived) {
    *arrived = 0;
    if (portFd < 0) return failed(EBADF);
    if (!dest || count < 0) return failed(0);
    const std::int64_t start = clock().nowMs();
    while (*arrived < count) {
        const ssize_t n = read(portFd, dest + *arrived, static_cast<std::size_t>(count - *arrived));
        if (n > 0) {
            *arrived += static_cast<int>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            // EIO: the other end hung up; nothing more will arrive.
            return failed(errno);
        }
        // The limit is tested before completion: a late last byte still fails.
        if (clock().nowMs() - start > kTransferLimitMs) return failed(ETIMEDOUT);
        if (*arrived < count && n <= 0 && waitFor(POLLIN, remainingMs(start)) == Wait::kLineGone)
            return failed(EIO);
    }
    return kOk;
}

}  // namespace reader
