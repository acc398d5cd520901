#pragma once
// The reader connection: opening and closing the reader's port, the security module's
// (SAM) and the professional's card (HPC) authentication, and reading the patient
// card's basic data with retries, port re-opening and one reader reset.
//
// This class owns the reader state: ComOpenStatus, SAMDCstatus and sReadCardDrID.

#include <QString>
#include <cstdint>
#include <optional>

#include "card/card_records.h"
#include "card/cs_result.h"

class Clock;
class ControlSoftware;
class Prompts;
class StatusSink;

class ReaderConnection {
  public:
    // How long the professional's ID is read again after the SAM was authenticated
    // inside autohpcVerifyHPCPIN, and the pause between attempts.
    static constexpr std::uint32_t kHpcIdRetryMs = 10000;
    static constexpr std::uint32_t kHpcIdRetryPauseMs = 100;
    // The PIN verification of openICcardReader, and the pause before the prompt is
    // offered again after it timed out.
    static constexpr std::uint32_t kPinRetryMs = 10000;
    static constexpr std::uint32_t kPinRetryPauseMs = 100;
    // Basic data: time-outs are retried this long before the one reset.
    static constexpr std::uint32_t kBasicTimeoutMs = 30000;
    static constexpr std::uint32_t kBasicRetryPauseMs = 100;

    ReaderConnection(ControlSoftware& cs, Clock& clock, Prompts& prompts, StatusSink& status);

    // The port setting "讀卡機埠" as its box shows it (counted from 1).
    void setPortText(const QString& text) { portText_ = text; }
    // The control software's version; below 5000 some port failures also get a box.
    void setHisVersion(int32_t version) { hisVersion_ = version; }

    void CloseCom();
    bool OpenCom();
    bool openICcardReader();
    CsAnswer autohpcVerifyHPCPIN();
    // Fills `pt` and `ptBuffer` from the patient card's basic data.
    bool getRegisterBasic(treadCard& pt, BasicInfo& ptBuffer);

    // The health-professional identity step of both read flows: verify the HPC when it
    // asks for it, read its ID while none is known.
    void identifyProfessional();
    // A query begins: the PIN may be asked again (once) in it.
    void startQuery() { pinAnswer_.reset(); }
    // A wrong PIN (5102), a cancel (5109) or a locked card (5122): the user's answer
    // for the rest of the query. Asking again after a wrong PIN would lock the card.
    static bool isDefinitivePinAnswer(CsAnswer result);

    CsAnswer ComOpenStatus() const { return comOpenStatus_; }
    CsAnswer SAMDCstatus() const { return samdcStatus_; }
    const QString& sReadCardDrID() const { return readCardDrId_; }

  private:
    bool loaded();
    // hpcGetHPCSSN into a 10-byte buffer; the ID on result 0.
    CsAnswer readHpcId(QString& id);
    // sReadCardDrID from the card, or empty when it cannot be read.
    void readProfessionalId();
    CsAnswer verifySamdc();
    int portNumber() const;

    ControlSoftware& cs_;
    Clock& clock_;
    Prompts& prompts_;
    StatusSink& status_;
    QString portText_ = QStringLiteral("1");
    int32_t hisVersion_ = 0;

    CsAnswer comOpenStatus_ = -1;
    CsAnswer samdcStatus_ = -1;
    QString readCardDrId_;
    // What the PIN verification inside OpenCom answered, when it ran.
    std::optional<CsAnswer> openPinAnswer_;
    // A definitive answer to the PIN prompt in this query; no prompt follows it.
    std::optional<int32_t> pinAnswer_;
    // hpcVerifyHPCPIN, unless the query already has a definitive answer.
    CsAnswer askPin();
};
