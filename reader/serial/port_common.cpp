#include "serial/port.h"

namespace reader {

bool validLineSettings(unsigned index, const LineSettings& s) {
    return index < 8 && s.baud >= 110 && s.baud <= 256000 && s.parity <= kParitySpace &&
           s.dataBits >= 4 && s.dataBits <= 8 && s.stopBits <= kStopTwo;
}

Result ReadExact(int count, std::uint8_t* dest) {
    int arrived = 0;
    return ReadExact(count, dest, &arrived);
}

}  // namespace reader
