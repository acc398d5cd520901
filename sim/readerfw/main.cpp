// readerfw: plays the card reader on a pseudo-terminal until stdin closes.
//
//   readerfw [--not-ready N] [--absent SLOT]... [--pin-answer BYTE]
//
// Prints the device path on the first line. Each further line read from stdin
// injects one answer for the next command frame (see README.md).

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "firmware.h"

namespace {

unsigned number(const std::string& s) {
    return static_cast<unsigned>(std::strtoul(s.c_str(), nullptr, 0));
}

bool injectLine(readerfw::Firmware& fw, const std::string& line) {
    std::istringstream in(line);
    std::string what;
    in >> what;
    readerfw::Reply r;
    std::string arg;
    if (what == "link" && in >> arg) {
        r.linkStatus = static_cast<std::uint8_t>(number(arg));
    } else if (what == "rc" && in >> arg) {
        r.rc = static_cast<std::uint8_t>(number(arg));
    } else if (what == "silence") {
        r.silent = true;
    } else if (what == "first-block-only" && in >> arg) {
        r.length = static_cast<std::uint8_t>(number(arg));
        r.data.assign(*r.length, 0x5A);
        r.blocks = 1;
    } else if (what == "length" && in >> arg) {
        r.length = static_cast<std::uint8_t>(number(arg));
        r.data.assign(*r.length, 0x5A);
    } else if (what == "absent" && in >> arg) {
        fw.setCardPresent(static_cast<std::uint8_t>(number(arg)), false);
        return true;
    } else if (what == "present" && in >> arg) {
        fw.setCardPresent(static_cast<std::uint8_t>(number(arg)), true);
        return true;
    } else {
        return false;
    }
    fw.inject(r);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    readerfw::Firmware fw;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--not-ready" && hasValue) {
            fw.setNotReady(static_cast<int>(number(argv[++i])));
        } else if (a == "--absent" && hasValue) {
            fw.setCardPresent(static_cast<std::uint8_t>(number(argv[++i])), false);
        } else if (a == "--pin-answer" && hasValue) {
            fw.setPinAnswer(static_cast<std::uint8_t>(number(argv[++i])));
        } else {
            std::cerr << "usage: readerfw [--not-ready N] [--absent SLOT]... [--pin-answer BYTE]\n";
            return 2;
        }
    }
    std::cout << fw.devicePath() << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty()) continue;
        if (!injectLine(fw, line)) std::cerr << "readerfw: not understood: " << line << "\n";
    }
    return 0;
}
