#include "reader_input_port.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "des.h"
#include "frame.h"
#include "serial/port.h"

namespace {
const std::uint8_t* input = nullptr;
std::size_t left = 0;
bool open = false;
}  // namespace

namespace fuzz {

void setReaderInput(const std::uint8_t* data, std::size_t size) {
    input = data;
    left = size;
}

std::size_t readerInputLeft() { return left; }

std::uint8_t takeReaderByte() {
    if (left == 0) return 0;
    --left;
    return *input++;
}

}  // namespace fuzz

namespace reader {

std::string portDeviceName(unsigned index) { return "fuzz" + std::to_string(index); }

Result OpenPort(unsigned index, const LineSettings& s) {
    if (!validLineSettings(index, s)) return kPortFailed;
    open = true;
    return kOk;
}

Result ClosePort() {
    open = false;
    return kOk;
}

bool portIsOpen() { return open; }

// A short input is the only failure, and it looks like a line that went quiet.
int lastSystemError() { return ETIMEDOUT; }

std::uint32_t portHandleValue() { return open ? 7 : 0; }

Result WriteAll(const std::uint8_t* data, int length) {
    if (!open || !data || length < 0 || left == 0) return kPortFailed;
    return kOk;
}

Result ReadExact(int count, std::uint8_t* dest, int* arrived) {
    *arrived = 0;
    if (!open || count <= 0) return kPortFailed;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), left);
    std::memcpy(dest, input, n);
    input += n;
    left -= n;
    // Whole blocks go out encrypted, as the reader sends them.
    if (count % 8 == 0)
        for (std::size_t b = 0; b + 8 <= n; b += 8) {
            std::uint8_t plain[8];
            std::memcpy(plain, dest + b, 8);
            currentKeySchedule().encrypt(plain, dest + b);
        }
    *arrived = static_cast<int>(n);
    return n == static_cast<std::size_t>(count) ? kOk : kPortFailed;
}

}  // namespace reader
