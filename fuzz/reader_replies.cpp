// The reader library's reply handling: arbitrary reply bytes fed to every export.
// The input both chooses the calls (and their arguments) and supplies what the
// reader answers; caller buffers are exactly as large as the interface says, so a
// reply that is written past them is caught.
#include <cstring>
#include <vector>

#include "clock.h"
#include "frame.h"
#include "include/reader.h"
#include "reader_input_port.h"
#include "serial/port.h"

namespace {

// Pauses cost nothing and move time on, so a retry loop ends as it would.
class InstantClock final : public reader::Clock {
  public:
    std::int64_t nowMs() override { return now_; }
    void sleepMs(std::uint32_t ms) override { now_ += ms; }

  private:
    std::int64_t now_ = 0;
};

using fuzz::takeReaderByte;

std::uint32_t arg() { return takeReaderByte(); }

// A heap buffer of exactly n bytes (at least one, so the pointer is never null).
std::vector<std::uint8_t> buffer(std::size_t n) {
    std::vector<std::uint8_t> b(n == 0 ? 1 : n);
    for (auto& v : b) v = takeReaderByte();
    return b;
}

void call(std::uint8_t op) {
    switch (op % 36) {
        case 0: {
            std::uint8_t port = takeReaderByte();
            OpenComPort(&port);
            break;
        }
        case 1:
            CloseComPort(0);
            break;
        case 2: {
            const std::uint32_t a0 = arg();
            changebaud(0, a0);
            break;
        }
        case 3: {
            const std::uint32_t a0 = arg();
            Reset(0, a0);
            break;
        }
        case 4: {
            const std::uint32_t a0 = arg();
            GetReaderStatus(0, a0);
            break;
        }
        case 5: {
            auto b = buffer(8);
            GetCardId(0, b.data());
            break;
        }
        case 6: {
            auto b = buffer(2);
            const std::uint32_t a0 = arg();
            GetCardVer(0, a0, b.data());
            break;
        }
        case 7: {
            auto b = buffer(6);
            ReadReaderDateTime(0, b.data());
            break;
        }
        case 8: {
            auto b = buffer(6);
            WriteReaderDateTime(0, b.data());
            break;
        }
        case 9: {
            auto b = buffer(3);
            GetErrCode(0, b.data());
            break;
        }
        case 10: {
            std::uint16_t n = static_cast<std::uint16_t>(takeReaderByte() * 3);
            auto b = buffer(n);
            const std::uint32_t a0 = arg();
            UpdateIFD(0, a0, &n, b.data());
            break;
        }
        case 11:
            OrganSAM(0);
            break;
        case 12: {
            auto b = buffer(8);
            const std::uint32_t a0 = arg();
            GetRandom(0, a0, b.data());
            break;
        }
        case 13:
        case 14:
        case 15:
        case 16: {
            // Read/write record/element: the buffer holds what *length says, and
            // at least the 8 bytes a flagged read sends.
            const std::uint32_t card = arg(), p1 = arg(), first = arg(), offset = arg(),
                                flag = takeReaderByte() & 1;
            std::uint16_t n = takeReaderByte();
            auto b = buffer(flag && n < 8 ? 8 : n);
            using Fn = std::uint32_t (*)(ReaderArg, ReaderArg, ReaderArg, ReaderArg, ReaderArg,
                                         std::uint16_t*, ReaderArg, std::uint8_t*);
            static constexpr Fn kFns[4] = {ReadRecord, ReadElement, WriteRecord, WriteElement};
            kFns[op % 36 - 13](0, card, p1, first, offset, &n, flag, b.data());
            break;
        }
        case 17: {
            std::uint8_t n = takeReaderByte();
            auto b = buffer(n);
            const std::uint32_t a0 = arg(), a1 = arg();
            Select(0, a0, a1, b.data(), &n);
            break;
        }
        case 18: {
            const std::uint32_t a0 = arg();
            FinishPersonal(0, a0);
            break;
        }
        case 19: {
            std::uint8_t n = takeReaderByte();
            auto b = buffer(n);
            const std::uint32_t a0 = arg(), a1 = arg(), a2 = arg();
            InitUpdate(0, a0, a1, a2, 0, &n, b.data());
            break;
        }
        case 20: {
            std::uint8_t n = takeReaderByte();
            auto b = buffer(n);
            const std::uint32_t a0 = arg(), a1 = arg(), a2 = arg();
            ExtAuth(0, a0, a1, a2, &n, b.data());
            break;
        }
        case 21:
        case 22: {
            std::uint16_t n = takeReaderByte();
            auto b = buffer(n);
            const std::uint32_t a0 = arg(), a1 = arg();
            (op % 36 == 21 ? putSAMKey : putHCKey)(0, a0, a1, &n, b.data());
            break;
        }
        case 23: {
            std::uint16_t n = 0;
            auto b = buffer(128);
            const std::uint32_t a0 = arg();
            AuthSAM(0, a0, &n, b.data());
            break;
        }
        case 24:
        case 25: {
            std::uint16_t n = 0;
            auto b = buffer(32);
            const std::uint32_t a0 = arg();
            (op % 36 == 24 ? AuthHC : AuthHPC)(0, a0, &n, b.data());
            break;
        }
        case 26: {
            std::uint16_t n = (takeReaderByte() & 1) ? 128 : 0;
            auto b = buffer(128);
            SignSAM(0, &n, b.data());
            break;
        }
        case 27:
        case 28: {
            std::uint16_t n = takeReaderByte();
            auto b = buffer(n);
            const std::uint32_t a0 = arg(), a1 = arg();
            (op % 36 == 27 ? DeleteApplet : InstallApplet)(0, a0, &n, b.data(), a1);
            break;
        }
        case 29: {
            std::uint16_t n = takeReaderByte();
            auto b = buffer(n);
            const std::uint32_t a0 = arg(), a1 = arg(), a2 = arg();
            LoadApplet(0, a0, a1, &n, b.data(), a2);
            break;
        }
        case 30: {
            const std::uint32_t a0 = arg(), a1 = arg();
            VerifyPIN(0, a0, a1);
            break;
        }
        case 31: {
            auto b = buffer(24);
            const std::uint32_t a0 = arg();
            PINExtHC(0, a0, b.data());
            break;
        }
        case 32: {
            auto b = buffer(8);
            const std::uint32_t a0 = arg();
            InputPIN(0, a0, 0, b.data());
            break;
        }
        case 33: {
            auto b = buffer(8);
            GetVerifyPINKey(0, b.data());
            break;
        }
        case 34: {
            std::uint8_t n = 0;
            std::vector<char> banner(255);
            GetDriverVer(&n, banner.data());
            break;
        }
        default:
            GetUpdateAppletState(0);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InstantClock clock;
    reader::setClock(&clock);
    CloseComPort(0);
    reader::resetFrameState();
    fuzz::setReaderInput(data, size);

    // Most exports need an open port with a session: open one first, answered
    // from the input like everything else.
    std::uint8_t port = 1;
    OpenComPort(&port);
    for (int calls = 0; calls < 64 && fuzz::readerInputLeft() > 0; ++calls) call(takeReaderByte());
    CloseComPort(0);
    return 0;
}
