#pragma once
// The core scenario run through the library's exports alone, as the card control
// software would: open, session, a read, a write, PIN verify, date-time read with
// key renewal, reset, close. Used by the Linux loader test and by wincheck.exe.
// The firmware stand-in on the other end is set up by the caller: see
// kScenario* below for what it must hold.

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "reader.h"

namespace scenario {

// clang-format off
#define READER_EXPORTS(X) \
    X(OpenComPort) X(CloseComPort) X(changebaud) X(Reset) X(GetReaderStatus) X(GetCardId) \
    X(GetCardVer) X(ReadReaderDateTime) X(WriteReaderDateTime) X(GetErrCode) X(UpdateIFD) \
    X(OrganSAM) X(GetRandom) X(GetDrvVer) X(GetDriverVer) X(ReadRecord) X(ReadElement) \
    X(WriteRecord) X(WriteElement) X(Select) X(FinishPersonal) X(InitUpdate) X(ExtAuth) \
    X(putSAMKey) X(putHCKey) X(AuthSAM) X(AuthHC) X(AuthHPC) X(SignSAM) X(DeleteApplet) \
    X(InstallApplet) X(LoadApplet) X(VerifyPIN) X(PINExtHC) X(InputPIN) X(GetVerifyPINKey)
// clang-format on

struct Api {
#define READER_MEMBER(name) decltype(&::name) name = nullptr;
    READER_EXPORTS(READER_MEMBER)
#undef READER_MEMBER
    decltype(&::GetUpdateAppletState) GetUpdateAppletState = nullptr;
};

#if defined(_WIN32)
constexpr const char* kAppletStateName = "_GetUpdateAppletState@4";
#else
constexpr const char* kAppletStateName = "GetUpdateAppletState";
#endif

// Resolves every export with `lookup(name)`; prints and counts the missing ones.
template <typename Lookup>
int bind(Api& api, Lookup lookup) {
    int missing = 0;
#define READER_BIND(name)                                           \
    api.name = reinterpret_cast<decltype(api.name)>(lookup(#name)); \
    if (!api.name) {                                                \
        std::printf("missing export %s\n", #name);                  \
        ++missing;                                                  \
    }
    READER_EXPORTS(READER_BIND)
#undef READER_BIND
    api.GetUpdateAppletState =
        reinterpret_cast<decltype(api.GetUpdateAppletState)>(lookup(kAppletStateName));
    if (!api.GetUpdateAppletState) {
        std::printf("missing export %s\n", kAppletStateName);
        ++missing;
    }
    return missing;
}

// What the stand-in holds for the scenario.
constexpr std::uint8_t kScenarioRecordId = 0x05;  // health card record read back
constexpr char kScenarioRecord[] = "Hello, card";
constexpr std::uint8_t kScenarioWrittenId = 0x06;  // record the scenario writes at offset 2
constexpr char kScenarioWritten[] = "Tolvane";
constexpr std::uint8_t kScenarioPinAnswer = 0x90;
constexpr std::uint8_t kScenarioDateTime[6] = {0x07, 0xEA, 0x0C, 0x0A, 0x0B, 0x1E};
constexpr char kScenarioReaderId[] = "TVR00042";

// Runs the scenario; answers the number of failed steps.
inline int run(const Api& api) {
    int failed = 0;
    const auto check = [&](bool ok, const char* step) {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", step);
        std::fflush(stdout);
        if (!ok) ++failed;
        return ok;
    };
    check(api.GetDrvVer(0) == 33, "GetDrvVer answers 33");
    check(api.GetUpdateAppletState(0) == 0, "_GetUpdateAppletState@4 answers 0");
    char banner[256] = {};
    std::uint8_t bannerLength = 0;
    check(
        api.GetDriverVer(&bannerLength, banner) == 0 && bannerLength > 53 &&
            std::strncmp(banner, " For win98/win2000/Winme/nt , Version : 1.0.0.1(A) , ", 53) == 0,
        "GetDriverVer banner");

    std::uint8_t port = 0;
    if (!check(api.OpenComPort(&port) != 0, "OpenComPort COM1 with session")) return failed;

    std::uint8_t record[32] = {};
    std::uint16_t length = sizeof kScenarioRecord - 1;
    check(api.ReadRecord(0, 3, 0, kScenarioRecordId, 0, &length, 0, record) == 0 &&
              length == sizeof kScenarioRecord - 1 &&
              std::memcmp(record, kScenarioRecord, length) == 0,
          "ReadRecord from the health card");

    std::uint8_t text[sizeof kScenarioWritten - 1];
    std::memcpy(text, kScenarioWritten, sizeof text);
    length = sizeof text;
    check(api.WriteRecord(0, 3, 0, kScenarioWrittenId, 2, &length, 0, text) == 0,
          "WriteRecord to the health card");

    check(api.VerifyPIN(0, 3, 1) == kScenarioPinAnswer, "VerifyPIN answers the reader's byte");

    std::uint8_t dt[6] = {};
    check(api.ReadReaderDateTime(0, dt) == 0 && std::memcmp(dt, kScenarioDateTime, 6) == 0,
          "ReadReaderDateTime");
    std::uint8_t id[8] = {};
    check(api.GetCardId(0, id) == 0 && std::memcmp(id, kScenarioReaderId, 8) == 0,
          "GetCardId under the renewed key");

    check(api.Reset(0, 0) == 0, "Reset of the reader");
    std::uint8_t random[8] = {};
    check(api.GetRandom(0, 3, random) == 0, "GetRandom under the initial key again");

    api.CloseComPort(0);
    check(api.GetCardId(0, id) == 3, "GetCardId after CloseComPort answers 3");
    return failed;
}

}  // namespace scenario
