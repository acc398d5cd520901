#pragma once
// The reader's side of the serial line, on a pseudo-terminal: answers the wake-up,
// agrees the session key, decrypts and records every command frame, keeps card
// slots, and can be told to misbehave.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "des.h"

namespace readerfw {

using Bytes = std::vector<std::uint8_t>;

// The key both ends use before a session key exists.
constexpr std::array<std::uint8_t, 8> kInitialKey = {0x4C, 0x2A, 0x3A, 0x92,
                                                     0x1B, 0x57, 0x8D, 0xB4};

// A command frame as the host sent it, after decryption.
struct Frame {
    Bytes plain;  // every block, padding included
    bool write = false;
    std::uint8_t slot = 0;
    std::uint8_t code = 0;
    std::uint8_t p1 = 0;
    std::uint16_t n = 0;
    std::uint8_t le = 0;
    Bytes data;
};

// One scripted answer, used for the next command frame instead of the normal one.
struct Reply {
    std::uint8_t linkStatus = 0;  // non-zero: this byte alone is sent
    std::uint8_t rc = 0;
    Bytes data;
    std::optional<std::uint8_t> length;  // L to announce, when it differs from data.size()
    int blocks = -1;                     // encrypted blocks to send (-1: as L needs)
    bool silent = false;                 // send nothing at all
    std::optional<Bytes> raw;            // these bytes verbatim, nothing else
    bool byteByByte = false;             // each byte written on its own, 1 ms apart
};

class Firmware {
  public:
    Firmware();
    ~Firmware();
    Firmware(const Firmware&) = delete;
    Firmware& operator=(const Firmware&) = delete;

    // The device the library should open (READER_COMn).
    const std::string& devicePath() const { return slavePath_; }

    // Answers "not ready" (link status 0x01) to the next `count` wake-ups.
    void setNotReady(int count);
    void setCardPresent(std::uint8_t slot, bool present);
    // The status byte command 0 reports for a present card.
    void setStatusByte(std::uint8_t slot, std::uint8_t status);
    // Contents of a record (codes 9/19) or an element (8/18) named by its first data byte.
    void setFile(std::uint8_t slot, bool element, std::uint8_t id, Bytes contents);
    Bytes file(std::uint8_t slot, bool element, std::uint8_t id);
    // The single byte VerifyPIN reads back.
    void setPinAnswer(std::uint8_t answer);
    void setSessionMaterial(const std::array<std::uint8_t, 12>& m);
    void setDateTime(const std::array<std::uint8_t, 8>& dt);
    void setReaderId(const Bytes& idAndVersion);
    // Time the reader takes before each answer (a real line needs about 1 ms a byte).
    void setReplyDelayMs(int ms);
    // Queues answers for the next command frames, in order.
    void inject(Reply r);
    void inject(int times, const Reply& r);
    void clearInjected();
    // Encrypts these 8-byte blocks with the current key and sends them now.
    void sendBlocks(const std::vector<std::array<std::uint8_t, 8>>& plainBlocks);

    // Sends these bytes as they are, now.
    void sendRaw(const Bytes& bytes);

    std::vector<Frame> frames();
    void clearFrames();
    int wakeups();
    // Frames that could not be decrypted into a sensible header (wrong key).
    int garbledFrames();
    std::array<std::uint8_t, 8> currentKey();

  private:
    void run();
    void process(Bytes& pending);
    void handle(const Frame& f);
    void answer(const Frame& f, const Reply& r);
    void sendReply(std::uint8_t rc, const Bytes& data);
    void writeAll(const Bytes& b);
    void writeSlowly(const Bytes& b);
    void useKey(const std::array<std::uint8_t, 8>& k);
    void deriveKey(const std::uint8_t m[12]);

    int master_ = -1;
    int slaveHold_ = -1;  // keeps the line up while the library has it closed
    int stopPipe_[2] = {-1, -1};
    std::string slavePath_;
    std::thread thread_;

    std::mutex mutex_;
    reader::DesKeySchedule key_;
    std::array<std::uint8_t, 8> keyBytes_{};
    std::array<std::uint8_t, 12> material_{};
    std::array<std::uint8_t, 8> dateTime_{};
    std::array<std::uint8_t, 4> saved_{};
    Bytes readerId_;
    int notReady_ = 0;
    std::uint8_t pinAnswer_ = 0x00;
    std::array<bool, 4> present_{true, true, true, true};
    std::array<std::uint8_t, 4> status_{};
    std::map<std::uint32_t, Bytes> files_;
    std::deque<Reply> injected_;
    std::vector<Frame> frames_;
    int replyDelayMs_ = 0;
    int wakeups_ = 0;
    int garbled_ = 0;
};

}  // namespace readerfw
