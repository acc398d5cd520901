// The firmware's answer to each command frame that no scripted answer replaces.

#include <algorithm>

#include "command_codes.h"
#include "file_key.h"
#include "firmware.h"

namespace readerfw {

using namespace reader;

void Firmware::handle(const Frame& f) {
    const auto pattern = [&](std::size_t count) {
        Bytes b(count);
        for (std::size_t i = 0; i < count; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + f.code);
        return b;
    };
    switch (f.code) {
        case kCmdStatus:  // status; 0xFF means no card in the slot
            sendReply(0, {present_[f.slot] ? status_[f.slot] : std::uint8_t{0xFF}});
            return;
        case kCmdReset:  // reset; the reader itself starts over with the initial key
            sendReply(0, {});
            if (f.slot == 0) useKey(kInitialKey);
            return;
        case kCmdSession:  // session request
            sendReply(0, Bytes(material_.begin(), material_.end()));
            std::copy(material_.begin(), material_.begin() + 4, saved_.begin());
            deriveKey(material_.data());
            return;
        case kCmdDateTime:
            if (f.write) {
                std::copy_n(f.data.begin(), std::min<std::size_t>(6, f.data.size()),
                            dateTime_.begin());
                sendReply(0, {});
            } else {
                // The full date-time reply moves both ends to the next key.
                sendReply(0, Bytes(dateTime_.begin(), dateTime_.end()));
                std::uint8_t m[12];
                std::copy(saved_.begin(), saved_.end(), m);
                std::copy(dateTime_.begin(), dateTime_.end(), m + 4);
                deriveKey(m);
            }
            return;
        case kCmdPin:
            if (f.slot == 1 && (f.p1 == 4 || f.p1 == 5)) {
                sendReply(0, {});
            } else {
                writeAll({pinAnswer_});  // VerifyPIN: one plain byte
            }
            return;
        case kCmdElement:
        case kCmdRecord:
        case kCmdElementFlagged:
        case kCmdRecordFlagged: {
            const bool element = f.code == kCmdElement || f.code == kCmdElementFlagged;
            const bool flagged = f.code == kCmdElementFlagged || f.code == kCmdRecordFlagged;
            if (f.code == kCmdElement && !f.write && f.slot == 0 && f.n == 0) {
                sendReply(0, readerId_);
                return;
            }
            if (f.code == kCmdElement && !f.write && f.slot != 0 && f.n == 3 && f.le == 2 &&
                f.p1 != 0 && f.data == Bytes{0, 0, 0}) {
                sendReply(0, {static_cast<std::uint8_t>(f.p1 >> 4),
                              static_cast<std::uint8_t>(f.p1 & 0x0F)});
                return;
            }
            if (f.data.empty()) {
                sendReply(2, {});
                return;
            }
            Bytes& file = files_[fileKey(f.slot, element, f.data[0])];
            const std::size_t offset = !flagged && f.data.size() >= 3
                                           ? static_cast<std::size_t>((f.data[1] << 8) | f.data[2])
                                           : 0;
            if (f.write) {
                const std::size_t from = flagged ? 1 : 3;
                if (f.data.size() > from) {
                    if (file.size() < offset + f.data.size() - from)
                        file.resize(offset + f.data.size() - from);
                    std::copy(f.data.begin() + static_cast<std::ptrdiff_t>(from), f.data.end(),
                              file.begin() + static_cast<std::ptrdiff_t>(offset));
                }
                sendReply(0, {});
            } else {
                Bytes out(f.le, 0);
                for (std::size_t i = 0; i < out.size() && offset + i < file.size(); ++i)
                    out[i] = file[offset + i];
                sendReply(0, out);
            }
            return;
        }
        case kCmdErrorCode:
            sendReply(0, {0x00, 0x00, 0x00});
            return;
        default:
            sendReply(0, pattern(f.le));
            return;
    }
}

}  // namespace readerfw
