#pragma once
// Sets up the firmware stand-in for the core scenario and checks what it recorded.

#include <gtest/gtest.h>

#include <cstring>

#include "firmware.h"
#include "scenario.h"

namespace readertest {

inline void prepareScenario(readerfw::Firmware& fw) {
    using namespace scenario;
    fw.setFile(1, false, kScenarioRecordId,
               readerfw::Bytes(kScenarioRecord, kScenarioRecord + sizeof kScenarioRecord - 1));
    fw.setPinAnswer(kScenarioPinAnswer);
    readerfw::Bytes id(kScenarioReaderId, kScenarioReaderId + 8);
    id.push_back(1);
    id.push_back(0);
    fw.setReaderId(id);
    fw.setDateTime({kScenarioDateTime[0], kScenarioDateTime[1], kScenarioDateTime[2],
                    kScenarioDateTime[3], kScenarioDateTime[4], kScenarioDateTime[5], 0x2D, 0x05});
}

inline void checkScenarioFrames(readerfw::Firmware& fw) {
    using namespace scenario;
    EXPECT_EQ(fw.wakeups(), 1);
    EXPECT_EQ(fw.garbledFrames(), 0) << "both ends kept the same key throughout";
    const readerfw::Bytes written = fw.file(1, false, kScenarioWrittenId);
    readerfw::Bytes expected(2, 0);
    expected.insert(expected.end(), kScenarioWritten,
                    kScenarioWritten + sizeof kScenarioWritten - 1);
    EXPECT_EQ(written, expected);
    std::vector<std::uint8_t> headers;
    for (const auto& f : fw.frames()) headers.push_back(f.plain[0]);
    // session, ReadRecord, WriteRecord, VerifyPIN (presence, command), date-time,
    // GetCardId, Reset, GetRandom.
    EXPECT_EQ(headers,
              (std::vector<std::uint8_t>{0x16, 0x29, 0xA9, 0x20, 0x2A, 0x04, 0x08, 0x81, 0x2C}));
}

}  // namespace readertest
