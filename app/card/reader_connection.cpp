#include "card/reader_connection.h"

#include <cstring>

#include "card/card_decoding.h"
#include "card/card_fields.h"
#include "card/control_software.h"
#include "card/cs_result.h"
#include "common/clock.h"
#include "common/prompts.h"
#include "common/status_sink.h"

namespace {
constexpr int32_t kReaderTimeout = 4000;
constexpr int32_t kSamNotAuthenticated = 4050;
constexpr int32_t kVersionThreshold = 5000;
constexpr int32_t kPinWrong = 5102;
constexpr int32_t kPinCancelled = 5109;
constexpr int32_t kPinLocked = 5122;
}  // namespace

ReaderConnection::ReaderConnection(ControlSoftware& cs, Clock& clock, Prompts& prompts,
                                   StatusSink& status)
    : cs_(cs), clock_(clock), prompts_(prompts), status_(status) {}

bool ReaderConnection::loaded() { return cs_.LoadLibraryCshis(); }

int ReaderConnection::portNumber() const {
    bool ok = false;
    const int n = portText_.trimmed().toInt(&ok);
    return ok ? n : 1;
}

CsAnswer ReaderConnection::readHpcId(QString& id) {
    char buffer[10] = {};
    int32_t len = sizeof buffer;
    const CsAnswer r = cs_.hpcGetHPCSSN(buffer, &len);
    if (r == 0) id = fieldText(buffer);
    return r;
}

CsAnswer ReaderConnection::verifySamdc() { return cs_.csVerifySAMDC(); }

bool ReaderConnection::isDefinitivePinAnswer(CsAnswer result) {
    return result == kPinWrong || result == kPinCancelled || result == kPinLocked;
}

CsAnswer ReaderConnection::askPin() {
    if (pinAnswer_) return *pinAnswer_;
    const CsAnswer v = cs_.hpcVerifyHPCPIN();
    if (isDefinitivePinAnswer(v)) pinAnswer_ = *v;
    return v;
}

void ReaderConnection::CloseCom() {
    if (!loaded()) return;
    (void)cs_.csCloseCom();
    clock_.pump();
    comOpenStatus_ = -1;
    samdcStatus_ = -1;
}

bool ReaderConnection::OpenCom() {
    if (!loaded()) return false;
    comOpenStatus_ = -1;
    CloseCom();
    comOpenStatus_ = cs_.csOpenCom(portNumber() - 1);
    if (comOpenStatus_ != 0) {
        if (hisVersion_ < kVersionThreshold)
            prompts_.message(QStringLiteral("讀卡機無法開啟序列埠(COM port)"));
        return false;
    }
    // The port is open; what the cards say below does not change that.
    const CsAnswer sam = cs_.hisGetCardStatus(1);
    if (sam == 1)
        samdcStatus_ = verifySamdc();
    else if (sam == 2)
        samdcStatus_ = 0;

    openPinAnswer_.reset();
    const CsAnswer hpc = cs_.hisGetCardStatus(3);
    if (hpc == 1 || hpc == 2) {
        openPinAnswer_ = autohpcVerifyHPCPIN();
    } else if (hpc == 3 && readCardDrId_.isEmpty()) {
        readProfessionalId();
    }
    return true;
}

void ReaderConnection::readProfessionalId() {
    QString id;
    if (readHpcId(id) == 0)
        readCardDrId_ = id;
    else
        readCardDrId_.clear();
}

CsAnswer ReaderConnection::autohpcVerifyHPCPIN() {
    if (!loaded()) return 1;
    QString id;
    CsAnswer r = readHpcId(id);
    if (r == 0) {
        readCardDrId_ = id;
    } else if (r == kSamNotAuthenticated) {
        samdcStatus_ = verifySamdc();
        clock_.pump();
        if (samdcStatus_ == 0) {
            // The card answers once the SAM's authentication has reached it; a card
            // that never does must not hold the read forever.
            const std::uint32_t start = clock_.tickCount();
            for (;;) {
                r = readHpcId(id);
                if (r == 0) break;
                if (Clock::elapsed(start, clock_.tickCount()) > kHpcIdRetryMs) break;
                Delay(clock_, kHpcIdRetryPauseMs);
            }
            if (r == 0) {
                readCardDrId_ = id;
            } else {
                readCardDrId_.clear();
                prompts_.message(QStringLiteral("安全模組認證後,10秒內仍無法讀取醫事人員卡ID\r\n") +
                                 csResultMessage(r, "hpcGetHPCSSN"));
            }
        }
    } else {
        readCardDrId_.clear();
    }

    const CsAnswer v = askPin();

    if (r == 0 && readCardDrId_.isEmpty()) {
        if (readHpcId(id) == 0) readCardDrId_ = id;
    }
    return v;
}

bool ReaderConnection::openICcardReader() {
    if (!loaded()) return false;
    if (!OpenCom()) {
        prompts_.message(hisVersion_ >= kVersionThreshold
                             ? QStringLiteral("讀卡機無法關閉開啟(openICcardReader)")
                             : QStringLiteral("讀卡機無法關閉開啟(openICcardReader)\r\n"
                                              "注意序列埠(COM port)是否設定有誤"));
        return false;
    }
    bool result = true;
    const QString& port = portText_;
    if (comOpenStatus_ != 0) {
        prompts_.message(QStringLiteral("開啟COM") + port + QStringLiteral("埠失敗") +
                         QStringLiteral("\r\n") + csResultMessage(comOpenStatus_, "csOpenCom"));
        status_.setMsg2(QStringLiteral("尚未開啟COM") + port + QStringLiteral("埠"));
        return false;
    }

    const CsAnswer sam = cs_.hisGetCardStatus(1);
    // A missing export answers nothing, which is told as an unknown error.
    auto unknownError = [&] {
        status_.setMsg2(QStringLiteral("讀卡機不明錯誤,再試一次"));
        result = false;
    };
    if (!sam) {
        unknownError();
    } else switch (*sam) {
        case 0:
            status_.setMsg2(QStringLiteral("成功開啟COM") + port + QStringLiteral("埠,但無SAM卡"));
            break;
        case 1: {
            status_.setMsg2(QStringLiteral("開啟COM") + port +
                            QStringLiteral("埠,進行IDC認證中...."));
            clock_.pump();
            samdcStatus_ = verifySamdc();
            if (samdcStatus_ == 0) {
                status_.setMsg2(QStringLiteral("SAM卡認證成功"));
            } else {
                prompts_.message(QStringLiteral("認證失敗\n\r") +
                                 csResultMessage(samdcStatus_, "csVerifySAMDC"));
                status_.setMsg2(QStringLiteral("可開啟COM埠但讀卡機認證失敗"));
                result = false;
            }
            break;
        }
        case 2:
            status_.setMsg2(QStringLiteral("SAM卡認證成功"));
            samdcStatus_ = 0;
            break;
        case 9:
            status_.setMsg2(QStringLiteral("讀卡機內卡片錯誤(非SAM卡)"));
            result = false;
            break;
        case kReaderTimeout:
            status_.setMsg2(QStringLiteral("讀卡機Timeout,再試一次"));
            result = false;
            break;
        default:
            unknownError();
            break;
    }
    if (samdcStatus_ != 0) return result;

    bool hpcVerified = false;
    bool verifyPin = false;
    const CsAnswer hpc = cs_.hisGetCardStatus(3);
    if (!hpc) {
        unknownError();
    } else switch (*hpc) {
        case 0:
            status_.setMsg2(QStringLiteral("SAM卡成功,但無醫事卡"));
            break;
        case 1:
            status_.setMsg2(QStringLiteral("SAM卡成功,但醫事卡未認證"));
            verifyPin = true;
            break;
        case 2:
            status_.setMsg2(QStringLiteral("SAM卡成功,但醫事卡PIN未認證"));
            verifyPin = true;
            break;
        case 3:
            status_.setMsg2(QStringLiteral("SAM和醫事人員卡認證成功"));
            hpcVerified = true;
            break;
        case 9:
            status_.setMsg2(QStringLiteral("SAM卡成功,但醫事卡片有誤"));
            break;
        default:
            unknownError();
            break;
    }

    if (verifyPin) {
        // The port's opening may have asked for the PIN already: a wrong PIN, a
        // cancel or a locked card is the user's answer, and asking again after a
        // wrong PIN would lock the card.
        const bool answered = openPinAnswer_ && *openPinAnswer_ != kReaderTimeout;
        CsAnswer v = answered ? *openPinAnswer_ : autohpcVerifyHPCPIN();
        clock_.pump();
        const std::uint32_t start = clock_.tickCount();
        // Only a PIN prompt that timed out is offered again: a wrong PIN entered a
        // second time locks the card, and a cancel or a locked card is the user's answer.
        // A control software that answers the time-out at once must not keep a core
        // busy for the ten seconds: each new prompt waits a pause first.
        while (v == kReaderTimeout && Clock::elapsed(start, clock_.tickCount()) <= kPinRetryMs) {
            Delay(clock_, kPinRetryPauseMs);
            v = askPin();
        }
        if (v == 0) {
            status_.setMsg2(QStringLiteral("SAM和醫事人員卡認證成功"));
            hpcVerified = true;
        } else {
            prompts_.message(csResultMessage(v, "hpcVerifyHPCPIN"));
        }
    }

    if (hpcVerified) readProfessionalId();
    return result;
}

bool ReaderConnection::getRegisterBasic(treadCard& pt, BasicInfo& ptBuffer) {
    status_.setMsg1(QStringLiteral("讀IC卡內掛號基本資料"));
    std::uint32_t start = clock_.tickCount();
    bool wasReset = false;
    BusyCursor busy(status_);

    // The retries may take a minute: their seconds are shown, counted from the first try.
    const std::uint32_t firstTry = start;
    int shownSeconds = -1;
    CsAnswer r = 0;
    do {
        int32_t len = sizeof(BasicInfo);
        r = cs_.hisGetRegisterBasic(reinterpret_cast<char*>(&ptBuffer), &len);
        if (r == kReaderTimeout) {
            const int seconds = int((Clock::elapsed(firstTry, clock_.tickCount()) + 500) / 1000);
            if (seconds != shownSeconds) {
                shownSeconds = seconds;
                status_.setMsg1(QStringLiteral("讀取健保卡中(%1秒)...").arg(seconds));
            }
            Delay(clock_, kBasicRetryPauseMs);
            if (!OpenCom()) {
                prompts_.message(QStringLiteral("讀卡機無法關閉開啟(getRegisterBasic)"));
                return false;
            }
        }
        if (r != 0 && Clock::elapsed(start, clock_.tickCount()) > kBasicTimeoutMs) {
            if (wasReset) break;
            wasReset = true;
            CloseCom();
            (void)cs_.csSoftwareReset(3);
            if (!openICcardReader()) {
                prompts_.message(QStringLiteral("讀卡機無法重置,請登出window或重開機後使用"));
                return false;
            }
            start = clock_.tickCount();
        }
        clock_.pump();
    } while (r == kReaderTimeout);

    if (r != 0) {
        status_.setMsg1(csResultMessage(r, "hisGetRegisterBasic"));
        return false;
    }
    decodeBasicInfo(ptBuffer, pt);

    // The control software expects this call after the basic data; its answer is not used.
    char scratch[sizeof(tCriticalIllnessSub) * 6] = {};
    for (int i = 0; i < 6; ++i)
        std::memcpy(scratch + i * sizeof(tCriticalIllnessSub), constICD10code, 9);
    int32_t len = sizeof scratch;
    (void)cs_.hisGetCriticalIllness(scratch, &len);
    return true;
}

void ReaderConnection::identifyProfessional() {
    if (!loaded()) return;
    const CsAnswer hpc = cs_.hisGetCardStatus(3);
    if (hpc == 1 || hpc == 2) {
        (void)autohpcVerifyHPCPIN();
    } else if (hpc == 3 && readCardDrId_.isEmpty()) {
        readProfessionalId();
    }
}
