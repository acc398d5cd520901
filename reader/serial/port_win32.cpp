// Win32 serial layer: the port opened by its plain name, the control block and
// time-outs set as the reader expects, and bounded transfer loops.

#include <windows.h>

#include "clock.h"
#include "serial/port.h"

namespace reader {
namespace {

HANDLE portHandle = nullptr;
DWORD systemError = 0;

// Keeps the error number of a failed call for lastSystemError().
Result failed(DWORD err) {
    systemError = err;
    return kPortFailed;
}

void closeHandle() {
    CloseHandle(portHandle);
    portHandle = nullptr;
}

void purge() {
    PurgeComm(portHandle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

}  // namespace

std::string portDeviceName(unsigned index) { return "COM" + std::to_string(index + 1); }

Result OpenPort(unsigned index, const LineSettings& s) {
    if (!validLineSettings(index, s)) return failed(0);
    HANDLE h = CreateFileA(portDeviceName(index).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        portHandle = nullptr;
        return failed(GetLastError());
    }
    portHandle = h;

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) {
        const DWORD err = GetLastError();
        closeHandle();
        return failed(err);
    }
    dcb.BaudRate = s.baud;
    dcb.ByteSize = static_cast<BYTE>(s.dataBits);
    dcb.Parity = static_cast<BYTE>(s.parity);
    dcb.StopBits = static_cast<BYTE>(s.stopBits);
    const bool firstGroup = index < 4;
    dcb.fOutxCtsFlow = firstGroup ? TRUE : FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    if (firstGroup) dcb.fDsrSensitivity = FALSE;
    dcb.fRtsControl = firstGroup ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    if (!SetCommState(h, &dcb)) {
        const DWORD err = GetLastError();
        closeHandle();
        return failed(err);
    }
    SetCommMask(h, 0);

    COMMTIMEOUTS t{};
    GetCommTimeouts(h, &t);
    // A read returns after about 1 ms with whatever has arrived.
    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 1;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = kWriteCallLimitMs;
    SetCommTimeouts(h, &t);
    SetupComm(h, 1024, 1024);
    purge();
    return kOk;
}

Result ClosePort() {
    if (!portHandle) return failed(ERROR_INVALID_HANDLE);
    closeHandle();
    return kOk;
}

bool portIsOpen() { return portHandle != nullptr; }

int lastSystemError() { return static_cast<int>(systemError); }

std::uint32_t portHandleValue() {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(portHandle));
}

Result WriteAll(const std::uint8_t* data, int length) {
    if (!portHandle) return failed(ERROR_INVALID_HANDLE);
    purge();
    if (!data || length < 1) return failed(0);
    const std::int64_t start = clock().nowMs();
    int written = 0;
    for (;;) {
        DWORD n = 0;
        // A time-out returns TRUE with fewer bytes; FALSE means the port itself failed.
        if (!WriteFile(portHandle, data + written, static_cast<DWORD>(length - written), &n,
                       nullptr))
            return failed(GetLastError());
        FlushFileBuffers(portHandle);
        written += static_cast<int>(n);
        if (clock().nowMs() - start > kTransferLimitMs) return failed(ERROR_TIMEOUT);
        if (written >= length) return kOk;
    }
}

Result ReadExact(int count, std::uint8_t* dest, int* arrived) {
    *arrived = 0;
    if (!portHandle) return failed(ERROR_INVALID_HANDLE);
    if (!dest || count < 0) return failed(0);
    const std::int64_t start = clock().nowMs();
    while (*arrived < count) {
        DWORD n = 0;
        // Returns after the 1 ms read time-out with whatever has arrived.
        if (!ReadFile(portHandle, dest + *arrived, static_cast<DWORD>(count - *arrived), &n,
                      nullptr)) {
            n = 0;
            clock().sleepMs(1);
        }
        *arrived += static_cast<int>(n);
        if (clock().nowMs() - start > kTransferLimitMs) return failed(ERROR_TIMEOUT);
    }
    return kOk;
}

}  // namespace reader
