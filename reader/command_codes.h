#pragma once
// Command codes of the frame header (bits 4 to 0), shared by the library and the
// firmware stand-in. Read and write forms of a command share its code; the header's
// write bit tells them apart.

#include <cstdint>

namespace reader {

enum CommandCode : std::uint8_t {
    kCmdStatus = 0,        // slot status byte; 0xFF: no card (the presence check)
    kCmdReset = 1,         // reset the slot; slot 0 returns the reader to the initial key
    kCmdPutKey = 2,        // putSAMKey, putHCKey
    kCmdUpdateReader = 3,  // UpdateIFD, one chunk per frame
    kCmdDateTime = 4,      // the reader's clock; a full read renews the session key
    kCmdAuthenticate = 5,  // AuthSAM, AuthHC, AuthHPC
    kCmdSign = 6,          // SignSAM
    kCmdElement = 8,       // ReadElement, WriteElement; also the reader's id and version
    kCmdRecord = 9,        // ReadRecord, WriteRecord
    kCmdPin = 10,          // VerifyPIN (one plain byte back), PINExtHC
    kCmdFinishPersonal = 11,
    kCmdRandom = 12,
    kCmdDeleteApplet = 14,
    kCmdInstallApplet = 15,
    kCmdLoadApplet = 16,
    kCmdSelect = 17,
    kCmdElementFlagged = 18,  // kCmdElement with 8 bytes of the buffer instead of an offset
    kCmdRecordFlagged = 19,   // kCmdRecord likewise
    kCmdErrorCode = 20,
    kCmdSession = 22,  // session request: 12 bytes of key material
    kCmdOrganSam = 24,
    kCmdInputPin = 26,
    kCmdInitUpdate = 28,
    kCmdExtAuth = 29,
    kCmdChangeBaud = 30,
};

}  // namespace reader
