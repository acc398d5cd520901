#include "firmware.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
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

std::uint32_t fileKey(std::uint8_t slot, bool element, std::uint8_t id) {
    return (static_cast<std::uint32_t>(slot) << 16) | (element ? 0x100u : 0u) | id;
}

}  // namespace

Firmware::Firmware() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("readerfw: no pseudo-terminal");
    slavePath_ = ptsname(master_);
    slaveHold_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0) throw std::runtime_error("readerfw: cannot open " + slavePath_);
    makeRaw(slaveHold_);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (pipe(stopPipe_) != 0) throw std::runtime_error("readerfw: no pipe");

    for (std::uint8_t i = 0; i < 12; ++i)
        material_[i] = static_cast<std::uint8_t>(0x11 * (i + 1) + 3);
    dateTime_ = {0x07, 0xEA, 0x0C, 0x0A, 0x0B, 0x1E, 0x2D, 0x05};
    readerId_ = {'T', 'V', 'R', '0', '0', '0', '4', '2', 0x01, 0x07};
    useKey(kInitialKey);
    thread_ = std::thread([this] { run(); });
}

Firmware::~Firmware() {
    if (stopPipe_[1] >= 0) {
        const char c = 0;
        (void)!write(stopPipe_[1], &c, 1);
    }
    if (thread_.joinable()) thread_.join();
    for (int fd : {master_, slaveHold_, stopPipe_[0], stopPipe_[1]})
        if (fd >= 0) close(fd);
}

void Firmware::setNotReady(int count) {
    std::lock_guard l(mutex_);
    notReady_ = count;
}
void Firmware::setCardPresent(std::uint8_t slot, bool present) {
    std::lock_guard l(mutex_);
    present_[slot & 3] = present;
}
void Firmware::setStatusByte(std::uint8_t slot, std::uint8_t status) {
    std::lock_guard l(mutex_);
    status_[slot & 3] = status;
}
void Firmware::setFile(std::uint8_t slot, bool element, std::uint8_t id, Bytes contents) {
    std::lock_guard l(mutex_);
    files_[fileKey(slot, element, id)] = std::move(contents);
}
Bytes Firmware::file(std::uint8_t slot, bool element, std::uint8_t id) {
    std::lock_guard l(mutex_);
    return files_[fileKey(slot, element, id)];
}
void Firmware::setPinAnswer(std::uint8_t answer) {
    std::lock_guard l(mutex_);
    pinAnswer_ = answer;
}
void Firmware::setSessionMaterial(const std::array<std::uint8_t, 12>& m) {
    std::lock_guard l(mutex_);
    material_ = m;
}
void Firmware::setDateTime(const std::array<std::uint8_t, 8>& dt) {
    std::lock_guard l(mutex_);
    dateTime_ = dt;
}
void Firmware::setReaderId(const Bytes& idAndVersion) {
    std::lock_guard l(mutex_);
    readerId_ = idAndVersion;
}
void Firmware::setReplyDelayMs(int ms) {
    std::lock_guard l(mutex_);
    replyDelayMs_ = ms;
}
void Firmware::inject(Reply r) {
    std::lock_guard l(mutex_);
    injected_.push_back(std::move(r));
}
void Firmware::inject(int times, const Reply& r) {
    for (int i = 0; i < times; ++i) inject(r);
}
void Firmware::clearInjected() {
    std::lock_guard l(mutex_);
    injected_.clear();
}
std::vector<Frame> Firmware::frames() {
    std::lock_guard l(mutex_);
    return frames_;
}
void Firmware::clearFrames() {
    std::lock_guard l(mutex_);
    frames_.clear();
}
int Firmware::wakeups() {
    std::lock_guard l(mutex_);
    return wakeups_;
}
int Firmware::garbledFrames() {
    std::lock_guard l(mutex_);
    return garbled_;
}
std::array<std::uint8_t, 8> Firmware::currentKey() {
    std::lock_guard l(mutex_);
    return keyBytes_;
}

void Firmware::sendBlocks(const std::vector<std::array<std::uint8_t, 8>>& plainBlocks) {
    std::lock_guard l(mutex_);
    Bytes out;
    for (const auto& b : plainBlocks) {
        std::uint8_t c[8];
        key_.encrypt(b.data(), c);
        out.insert(out.end(), c, c + 8);
    }
    writeAll(out);
}

void Firmware::sendRaw(const Bytes& bytes) {
    std::lock_guard l(mutex_);
    writeAll(bytes);
}

void Firmware::useKey(const std::array<std::uint8_t, 8>& k) {
    keyBytes_ = k;
    key_.setKey(k.data());
}

void Firmware::deriveKey(const std::uint8_t m[12]) {
    const auto neg = [](std::uint8_t v) { return static_cast<std::uint8_t>(0u - v); };
    const std::uint8_t w[16] = {m[3], m[0], m[2], m[1], m[10], m[11], neg(m[0]), neg(m[1]),
                                m[4], m[5], m[6], m[7], m[8],  m[9],  neg(m[5]), neg(m[4])};
    std::array<std::uint8_t, 8> k;
    for (int i = 0; i < 8; ++i) k[i] = static_cast<std::uint8_t>(w[i] ^ w[i + 8]);
    useKey(k);
}

void Firmware::writeAll(const Bytes& b) {
    if (replyDelayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(replyDelayMs_));
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

void Firmware::writeSlowly(const Bytes& b) {
    for (std::uint8_t byte : b) {
        writeAll({byte});
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void Firmware::run() {
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
        std::lock_guard l(mutex_);
        process(pending);
    }
}

void Firmware::process(Bytes& pending) {
    while (pending.size() >= 8) {
        if (std::all_of(pending.begin(), pending.begin() + 8,
                        [](std::uint8_t b) { return b == 0; })) {
            // Wake-up: eight plain zero bytes; the answer is under the initial key.
            pending.erase(pending.begin(), pending.begin() + 8);
            ++wakeups_;
            if (notReady_ > 0) {
                --notReady_;
                writeAll({0x01});
                continue;
            }
            useKey(kInitialKey);
            if (!injected_.empty()) {
                const Reply r = injected_.front();
                injected_.pop_front();
                answer(Frame{}, r);
            } else {
                sendReply(0, {});
            }
            continue;
        }
        std::uint8_t head[8];
        key_.decrypt(pending.data(), head);
        const std::uint16_t n = static_cast<std::uint16_t>(head[2] | (head[3] << 8));
        if (n > 251) {
            // Not a frame under our key: the ends disagree about the key.
            ++garbled_;
            pending.clear();
            return;
        }
        const std::size_t total = (5u + n + 7u) / 8u * 8u;
        if (pending.size() < total) return;
        Frame f;
        f.plain.resize(total);
        for (std::size_t i = 0; i < total; i += 8)
            key_.decrypt(pending.data() + i, f.plain.data() + i);
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(total));
        f.write = (f.plain[0] & 0x80) != 0;
        f.slot = (f.plain[0] >> 5) & 3;
        f.code = f.plain[0] & 0x1F;
        f.p1 = f.plain[1];
        f.n = n;
        f.le = f.plain[4];
        f.data.assign(f.plain.begin() + 5, f.plain.begin() + 5 + n);
        frames_.push_back(f);
        if (!injected_.empty()) {
            const Reply r = injected_.front();
            injected_.pop_front();
            answer(f, r);
            // A scripted date-time reply that arrives whole renews the key as usual.
            const bool dateTimeRead = f.code == 4 && !f.write && f.slot == 0;
            const bool whole = !r.silent && !r.raw && r.linkStatus == 0 && r.blocks < 0 &&
                               r.rc == 0 && !r.length && r.data.size() >= 8;
            if (dateTimeRead && whole) {
                std::uint8_t m[12];
                std::copy(saved_.begin(), saved_.end(), m);
                std::copy(r.data.begin(), r.data.begin() + 8, m + 4);
                deriveKey(m);
            }
        } else {
            handle(f);
        }
    }
}

void Firmware::answer(const Frame&, const Reply& r) {
    if (r.silent) return;
    if (r.raw) {
        writeAll(*r.raw);
        return;
    }
    if (r.linkStatus != 0) {
        writeAll({r.linkStatus});
        return;
    }
    const std::uint8_t length = r.length ? *r.length : static_cast<std::uint8_t>(r.data.size());
    Bytes body(2 + std::max<std::size_t>(length, r.data.size()) + 8, 0);
    body[0] = r.rc;
    body[1] = length;
    std::copy(r.data.begin(), r.data.end(), body.begin() + 2);
    int blocks = length <= 6 ? 1 : 1 + (length - 6 + 7) / 8;
    if (r.blocks >= 0) blocks = r.blocks;
    if (body.size() < static_cast<std::size_t>(blocks) * 8)
        body.resize(static_cast<std::size_t>(blocks) * 8, 0);
    Bytes out{0x00};
    for (int b = 0; b < blocks; ++b) {
        std::uint8_t c[8];
        key_.encrypt(body.data() + 8 * b, c);
        out.insert(out.end(), c, c + 8);
    }
    if (r.byteByByte) {
        writeSlowly(out);
    } else {
        writeAll(out);
    }
}

void Firmware::sendReply(std::uint8_t rc, const Bytes& data) {
    Reply r;
    r.rc = rc;
    r.data = data;
    answer(Frame{}, r);
}

void Firmware::handle(const Frame& f) {
    const auto pattern = [&](std::size_t count) {
        Bytes b(count);
        for (std::size_t i = 0; i < count; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + f.code);
        return b;
    };
    switch (f.code) {
        case 0:  // status; 0xFF means no card in the slot
            sendReply(0, {present_[f.slot] ? status_[f.slot] : std::uint8_t{0xFF}});
            return;
        case 1:  // reset; the reader itself starts over with the initial key
            sendReply(0, {});
            if (f.slot == 0) useKey(kInitialKey);
            return;
        case 22:  // session request
            sendReply(0, Bytes(material_.begin(), material_.end()));
            std::copy(material_.begin(), material_.begin() + 4, saved_.begin());
            deriveKey(material_.data());
            return;
        case 4:
            if (f.write) {
                std::copy_n(f.data.begin(), std::min<std::size_t>(6, f.data.size()),
                            dateTime_.begin());
                sendReply(0, {});
            } else {
                // The full date-time reply moves both ends to the next key.
                sendReply(0, Bytes(dateTime_.begin(), dateTime_.end()));
                std::uint8_t m[12];
                std::copy(saved_.begin(), saved_.end(), m);
                std::copy(dateTime_.begin(), dateTime_.end(), m + 4);
                deriveKey(m);
            }
            return;
        case 10:
            if (f.slot == 1 && (f.p1 == 4 || f.p1 == 5)) {
                sendReply(0, {});
            } else {
                writeAll({pinAnswer_});  // VerifyPIN: one plain byte
            }
            return;
        case 8:
        case 9:
        case 18:
        case 19: {
            const bool element = f.code == 8 || f.code == 18;
            const bool flagged = f.code >= 18;
            if (f.code == 8 && !f.write && f.slot == 0 && f.n == 0) {
                sendReply(0, readerId_);
                return;
            }
            if (f.code == 8 && !f.write && f.slot != 0 && f.n == 3 && f.le == 2 && f.p1 != 0 &&
                f.data == Bytes{0, 0, 0}) {
                sendReply(0, {static_cast<std::uint8_t>(f.p1 >> 4),
                              static_cast<std::uint8_t>(f.p1 & 0x0F)});
                return;
            }
            if (f.data.empty()) {
                sendReply(2, {});
                return;
            }
            Bytes& file = files_[fileKey(f.slot, element, f.data[0])];
            const std::size_t offset = !flagged && f.data.size() >= 3
                                           ? static_cast<std::size_t>((f.data[1] << 8) | f.data[2])
                                           : 0;
            if (f.write) {
                const std::size_t from = flagged ? 1 : 3;
                if (f.data.size() > from) {
                    if (file.size() < offset + f.data.size() - from)
                        file.resize(offset + f.data.size() - from);
                    std::copy(f.data.begin() + static_cast<std::ptrdiff_t>(from), f.data.end(),
                              file.begin() + static_cast<std::ptrdiff_t>(offset));
                }
                sendReply(0, {});
            } else {
                Bytes out(f.le, 0);
                for (std::size_t i = 0; i < out.size() && offset + i < file.size(); ++i)
                    out[i] = file[offset + i];
                sendReply(0, out);
            }
            return;
        }
        case 20:
            sendReply(0, {0x00, 0x00, 0x00});
            return;
        default:
            sendReply(0, pattern(f.le));
            return;
    }
}

}  // namespace readerfw
