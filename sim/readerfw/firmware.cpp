#include "firmware.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "command_codes.h"
#include "file_key.h"

namespace readerfw {

Firmware::Firmware() {
    for (std::uint8_t i = 0; i < 12; ++i)
        material_[i] = static_cast<std::uint8_t>(0x11 * (i + 1) + 3);
    dateTime_ = {0x07, 0xEA, 0x0C, 0x0A, 0x0B, 0x1E, 0x2D, 0x05};
    readerId_ = {'T', 'V', 'R', '0', '0', '0', '4', '2', 0x01, 0x07};
    useKey(kInitialKey);
    // Held while the line is set up, so the first input waits until terminal_ is set.
    std::lock_guard l(mutex_);
    terminal_ = std::make_unique<Terminal>([this](Bytes& pending) {
        std::lock_guard l(mutex_);
        process(pending);
    });
}

// The line's thread stops before the state it works on (and terminal_ itself) goes.
Firmware::~Firmware() { terminal_->stop(); }

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
    terminal_->write(b);
}

void Firmware::writeSlowly(const Bytes& b) {
    for (std::uint8_t byte : b) {
        writeAll({byte});
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void Firmware::process(Bytes& pending) {
    while (pending.size() >= 8) {
        if (takeWakeup(pending)) {
            // The answer to a wake-up is under the initial key.
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
        Frame f;
        const Decoded d = takeFrame(key_, pending, &f);
        if (d == Decoded::kNeedMore) return;
        if (d == Decoded::kGarbled) {
            ++garbled_;
            pending.clear();
            return;
        }
        frames_.push_back(f);
        if (!injected_.empty()) {
            const Reply r = injected_.front();
            injected_.pop_front();
            answer(f, r);
            // A scripted date-time reply that arrives whole renews the key as usual.
            const bool dateTimeRead = f.code == reader::kCmdDateTime && !f.write && f.slot == 0;
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
    const Bytes out = encodeReply(key_, r);
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

}  // namespace readerfw
