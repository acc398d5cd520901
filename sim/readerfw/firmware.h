#pragma once
// The reader's side of the serial line, on a pseudo-terminal: answers the wake-up,
// agrees the session key, decrypts and records every command frame, keeps card
// slots, and can be told to misbehave. The line itself is terminal.h, the frame
// format frame_codec.h; the answers to each command are in commands.cpp.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "des.h"
#include "frame_codec.h"
#include "terminal.h"

namespace readerfw {

// The key both ends use before a session key exists.
constexpr std::array<std::uint8_t, 8> kInitialKey = {0x4C, 0x2A, 0x3A, 0x92,
                                                     0x1B, 0x57, 0x8D, 0xB4};

class Firmware {
  public:
    Firmware();
    ~Firmware();
    Firmware(const Firmware&) = delete;
    Firmware& operator=(const Firmware&) = delete;

    // The device the library should open (READER_COMn).
    const std::string& devicePath() const { return terminal_->devicePath(); }

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
    void process(Bytes& pending);
    void handle(const Frame& f);
    void answer(const Frame& f, const Reply& r);
    void sendReply(std::uint8_t rc, const Bytes& data);
    void writeAll(const Bytes& b);
    void writeSlowly(const Bytes& b);
    void useKey(const std::array<std::uint8_t, 8>& k);
    void deriveKey(const std::uint8_t m[12]);

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
    // Last: its thread calls process(), so it starts after and stops before the rest.
    std::unique_ptr<Terminal> terminal_;
};

}  // namespace readerfw
