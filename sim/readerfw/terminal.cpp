#include "terminal.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace readerfw {
namespace {

constexpr int kIdlePollMs = 100;

void makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

Terminal::Terminal(std::function<void(Bytes& pending)> onInput) : onInput_(std::move(onInput)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("readerfw: no pseudo-terminal");
    slavePath_ = ptsname(master_);
    slaveHold_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0) throw std::runtime_error("readerfw: cannot open " + slavePath_);
    makeRaw(slaveHold_);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (pipe(stopPipe_) != 0) throw std::runtime_error("readerfw: no pipe");
    thread_ = std::thread([this] { run(); });
}

Terminal::~Terminal() {
    stop();
    for (int fd : {master_, slaveHold_, stopPipe_[0], stopPipe_[1]})
        if (fd >= 0) close(fd);
}

void Terminal::stop() {
    if (!thread_.joinable()) return;
    const char c = 0;
    (void)!::write(stopPipe_[1], &c, 1);
    thread_.join();
}

void Terminal::write(const Bytes& b) {
    std::size_t done = 0;
    while (done < b.size()) {
        const ssize_t n = ::write(master_, b.data() + done, b.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd p{master_, POLLOUT, 0};
            poll(&p, 1, kIdlePollMs);
        }
    }
}

void Terminal::run() {
    Bytes pending;
    for (;;) {
        pollfd p[2] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        const int rc = poll(p, 2, kIdlePollMs);
        if (rc < 0 && errno != EINTR) return;
        if (p[1].revents) return;
        if (rc == 0) {
            // A frame cut short by the host is dropped rather than joined to the next.
            pending.clear();
            continue;
        }
        std::uint8_t buf[512];
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) continue;
        pending.insert(pending.end(), buf, buf + n);
        onInput_(pending);
    }
}

}  // namespace readerfw
