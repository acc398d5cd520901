/* The reader library's exported interface.
 *
 * Every function takes its arguments in 32-bit slots (stdcall on 32-bit Windows).
 * A "byte" argument uses only the low 8 bits of its slot, a "word" the low 16 bits.
 * Most functions take a first argument that the library ignores.
 *
 * Results are one-byte codes returned in a 32-bit value whose upper bits are zero:
 * the library's own codes of enum ReaderResult below, or any other value: the
 * reader's own result code, passed through.
 *
 * The library keeps one port, one frame buffer and one session key for the whole
 * process, and expects its calls one at a time: a caller that calls from two
 * threads at once must serialise the calls itself.
 */
#ifndef READER_READER_H
#define READER_READER_H

#include <stdint.h>

#if defined(_WIN32)
#define READER_CALL __stdcall
#define READER_API
#else
#define READER_CALL
#define READER_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t ReaderArg;

/* The library's own result codes. */
enum ReaderResult {
    READER_OK = 0,
    READER_CARD_ABSENT = 1,         /* the addressed card is absent */
    READER_NO_PORT_OR_NO_REPLY = 3, /* no port open, a bad argument, or no reply in time */
    READER_RC3 = 6,                 /* the reader answered RC 3 */
    /* link conditions: the reply's link status byte had exactly one bit set */
    READER_LINK_NOT_READY = 9, /* 0x01; at wake-up: the reader is not ready yet */
    READER_LINK_02 = 10,
    READER_LINK_04 = 11,
    READER_LINK_10 = 12,
    READER_LINK_20 = 13,
    READER_LINK_40 = 14,
    READER_LINK_80 = 15,
    /* a port operation failed (not opened, not written or not read in time); also
       the link status 0x08 */
    READER_PORT_FAILED = 255
};

/* Port and reader */
READER_API uint32_t READER_CALL OpenComPort(uint8_t* portIndex);
READER_API void READER_CALL CloseComPort(ReaderArg ignored);
READER_API uint32_t READER_CALL changebaud(ReaderArg ignored, ReaderArg rateCode);
READER_API uint32_t READER_CALL Reset(ReaderArg ignored, ReaderArg cardIndex);
READER_API uint32_t READER_CALL GetReaderStatus(ReaderArg ignored, ReaderArg cardIndex);
READER_API uint32_t READER_CALL GetCardId(ReaderArg ignored, uint8_t* id8);
READER_API uint32_t READER_CALL GetCardVer(ReaderArg ignored, ReaderArg cardIndex,
                                           uint8_t* version2);
READER_API uint32_t READER_CALL ReadReaderDateTime(ReaderArg ignored, uint8_t* dateTime6);
READER_API uint32_t READER_CALL WriteReaderDateTime(ReaderArg ignored, const uint8_t* dateTime6);
READER_API uint32_t READER_CALL GetErrCode(ReaderArg ignored, uint8_t* code3);
READER_API uint32_t READER_CALL UpdateIFD(ReaderArg ignored, ReaderArg cardIndex, uint16_t* length,
                                          const uint8_t* data);
READER_API uint32_t READER_CALL OrganSAM(ReaderArg ignored);
READER_API uint32_t READER_CALL GetRandom(ReaderArg ignored, ReaderArg cardIndex, uint8_t* random8);
READER_API uint32_t READER_CALL GetDrvVer(ReaderArg ignored);
READER_API uint32_t READER_CALL GetDriverVer(uint8_t* length, char* banner);
/* Exported as "_GetUpdateAppletState@4". */
READER_API uint32_t READER_CALL GetUpdateAppletState(ReaderArg ignored);

/* Card data */
READER_API uint32_t READER_CALL ReadRecord(ReaderArg ignored, ReaderArg cardIndex, ReaderArg p1,
                                           ReaderArg firstByte, ReaderArg offset, uint16_t* length,
                                           ReaderArg dataFlag, uint8_t* buffer);
READER_API uint32_t READER_CALL ReadElement(ReaderArg ignored, ReaderArg cardIndex, ReaderArg p1,
                                            ReaderArg firstByte, ReaderArg offset, uint16_t* length,
                                            ReaderArg dataFlag, uint8_t* buffer);
READER_API uint32_t READER_CALL WriteRecord(ReaderArg ignored, ReaderArg cardIndex, ReaderArg p1,
                                            ReaderArg firstByte, ReaderArg offset, uint16_t* length,
                                            ReaderArg dataFlag, uint8_t* buffer);
READER_API uint32_t READER_CALL WriteElement(ReaderArg ignored, ReaderArg cardIndex, ReaderArg p1,
                                             ReaderArg firstByte, ReaderArg offset,
                                             uint16_t* length, ReaderArg dataFlag, uint8_t* buffer);
READER_API uint32_t READER_CALL Select(ReaderArg ignored, ReaderArg cardIndex, ReaderArg p1,
                                       uint8_t* buffer, uint8_t* length);
READER_API uint32_t READER_CALL FinishPersonal(ReaderArg ignored, ReaderArg cardIndex);
READER_API uint32_t READER_CALL InitUpdate(ReaderArg ignored, ReaderArg cardIndex, ReaderArg p1,
                                           ReaderArg firstByte, ReaderArg ignored2, uint8_t* length,
                                           uint8_t* buffer);
READER_API uint32_t READER_CALL ExtAuth(ReaderArg ignored, ReaderArg cardIndex, ReaderArg p1,
                                        ReaderArg firstByte, uint8_t* length, uint8_t* buffer);

/* Security module and card authentication */
READER_API uint32_t READER_CALL putSAMKey(ReaderArg ignored, ReaderArg p1, ReaderArg firstByte,
                                          uint16_t* length, uint8_t* buffer);
READER_API uint32_t READER_CALL putHCKey(ReaderArg ignored, ReaderArg p1, ReaderArg firstByte,
                                         uint16_t* length, uint8_t* buffer);
READER_API uint32_t READER_CALL AuthSAM(ReaderArg ignored, ReaderArg mode, uint16_t* length,
                                        uint8_t* buffer);
READER_API uint32_t READER_CALL AuthHC(ReaderArg ignored, ReaderArg mode, uint16_t* length,
                                       uint8_t* buffer);
READER_API uint32_t READER_CALL AuthHPC(ReaderArg ignored, ReaderArg mode, uint16_t* length,
                                        uint8_t* buffer);
READER_API uint32_t READER_CALL SignSAM(ReaderArg ignored, uint16_t* length, uint8_t* buffer);

/* Applets: the selector's low 4 bits are the card index; bit 4 clears the write bit. */
READER_API uint32_t READER_CALL DeleteApplet(ReaderArg ignored, ReaderArg selector,
                                             uint16_t* length, uint8_t* buffer, ReaderArg p1);
READER_API uint32_t READER_CALL InstallApplet(ReaderArg ignored, ReaderArg selector,
                                              uint16_t* length, uint8_t* buffer, ReaderArg p1);
READER_API uint32_t READER_CALL LoadApplet(ReaderArg ignored, ReaderArg selector, ReaderArg flag,
                                           uint16_t* length, uint8_t* buffer, ReaderArg firstByte);

/* PIN handling */
READER_API uint32_t READER_CALL VerifyPIN(ReaderArg ignored, ReaderArg cardIndex,
                                          ReaderArg pinKind);
READER_API uint32_t READER_CALL PINExtHC(ReaderArg ignored, ReaderArg mode, const uint8_t* data24);
READER_API uint32_t READER_CALL InputPIN(ReaderArg ignored, ReaderArg mode, ReaderArg ignored2,
                                         const uint8_t* data8);
READER_API uint32_t READER_CALL GetVerifyPINKey(ReaderArg ignored, uint8_t* record8);

#ifdef __cplusplus
}
#endif

#endif
