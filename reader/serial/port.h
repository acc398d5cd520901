#pragma once
// The serial layer: one port for the whole library. Every failure is kPortFailed, and
// the operating system's error number of the last one is kept; the frame layer above
// decides about retries.

#include <cstddef>
#include <cstdint>
#include <string>

#include "result.h"

namespace reader {

// A transfer fails once more than this has passed since it started.
constexpr std::int64_t kTransferLimitMs = 7000;
// Each single write call may block at most this long.
constexpr int kWriteCallLimitMs = 3000;

enum Parity : std::uint8_t { kParityNone = 0, kParityOdd, kParityEven, kParityMark, kParitySpace };
enum StopBits : std::uint8_t { kStopOne = 0, kStopOneAndHalf, kStopTwo };

struct LineSettings {
    unsigned baud;
    unsigned parity;
    unsigned dataBits;
    unsigned stopBits;
};

// Whether the arguments are within what the port layer accepts at all.
bool validLineSettings(unsigned index, const LineSettings& s);

// "COM1" for index 0 on Windows; on POSIX the device READER_COM<n> names, else /dev/ttyS<n-1>.
std::string portDeviceName(unsigned index);

Result OpenPort(unsigned index, const LineSettings& s);
Result ClosePort();
// Discards pending input and output, then writes every byte.
Result WriteAll(const std::uint8_t* data, int length);
// Reads exactly `count` bytes; on a time-out the bytes that did arrive stay in `dest`.
Result ReadExact(int count, std::uint8_t* dest);
// Same, and tells how many bytes arrived.
Result ReadExact(int count, std::uint8_t* dest, int* arrived);

bool portIsOpen();
// errno (GetLastError on Windows) of the last failed port operation; ETIMEDOUT
// (ERROR_TIMEOUT) when the time limit passed, 0 when the layer refused the arguments.
int lastSystemError();
// A non-zero value identifying the open port (0 when none is open).
std::uint32_t portHandleValue();

}  // namespace reader
