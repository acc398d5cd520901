#pragma once
// The reader's end of the serial line: a pseudo-terminal whose other end the library
// opens as its port, and a thread that hands every byte that arrives to the firmware.

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace readerfw {

using Bytes = std::vector<std::uint8_t>;

class Terminal {
  public:
    // `onInput` runs on the terminal's thread with the bytes not yet consumed; it
    // erases what it used. Bytes left over when the line goes quiet are dropped.
    explicit Terminal(std::function<void(Bytes& pending)> onInput);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // The device the library should open (READER_COMn).
    const std::string& devicePath() const { return slavePath_; }
    // Writes every byte (or gives up when the line is gone).
    void write(const Bytes& b);
    // Ends the thread; no input is handed over afterwards. Also done on destruction.
    void stop();

  private:
    void run();

    std::function<void(Bytes&)> onInput_;
    int master_ = -1;
    int slaveHold_ = -1;  // keeps the line up while the library has it closed
    int stopPipe_[2] = {-1, -1};
    std::string slavePath_;
    std::thread thread_;
};

}  // namespace readerfw
