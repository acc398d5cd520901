#include "flow/read_flow.h"

#include <cstring>
#include <exception>
#include <stdexcept>

#include "card/control_software.h"
#include "card/reader_connection.h"
#include "cloud/edge_chart.h"
#include "common/card_text.h"
#include "common/clock.h"
#include "common/codepage.h"
#include "common/prompts.h"
#include "common/status_sink.h"
#include "query/archive_file.h"

namespace {

const QString kNoControlSoftware = QStringLiteral("cshis.dll無法套用");
const QString kNoInstitutionCode = QStringLiteral("讀取 SAM 院所代碼錯誤");
const QString kNoBasicData = QStringLiteral("讀取病人IC卡基本資料錯誤");
const QString kBadPatientId = QStringLiteral("身分證號須為10碼英文字母或數字");
const QString kIdPrompt = QStringLiteral("請填寫病人身分證");
const QString kIdNotOnPage = QStringLiteral("輸入的身分證號與雲端藥歷頁面不符");

// Disables the window (or only the read buttons) for the life of a query and
// enables it again on every way out, an unexpected failure included.
class EnabledGuard {
  public:
    using Setter = void (ReadFlowView::*)(bool);
    EnabledGuard(ReadFlowView& view, Setter setter) : view_(view), setter_(setter) {
        (view_.*setter_)(false);
    }
    ~EnabledGuard() { (view_.*setter_)(true); }
    EnabledGuard(const EnabledGuard&) = delete;
    EnabledGuard& operator=(const EnabledGuard&) = delete;

  private:
    ReadFlowView& view_;
    Setter setter_;
};

bool readsCard(ReadMode mode) { return mode != ReadMode::Cloud; }
bool readsCloud(ReadMode mode) { return mode != ReadMode::IcCard; }

// From the moment the patient is known, the query is committed on every way out
// of the flow, an unexpected failure included: what was read up to the stop
// replaces the earlier patient on screen.
class CommitOnExit {
  public:
    CommitOnExit(ReadFlowView& view, Query& query) : view_(view), query_(query) {}
    ~CommitOnExit() { view_.commitQuery(query_, showReport); }
    CommitOnExit(const CommitOnExit&) = delete;
    CommitOnExit& operator=(const CommitOnExit&) = delete;
    bool showReport = false;

  private:
    ReadFlowView& view_;
    Query& query_;
};

}  // namespace

ReadFlow::ReadFlow(ReadFlowContext ctx, ReadFlowSteps steps)
    : ctx_(ctx), steps_(std::move(steps)) {
    if (!steps_.getAdultPrevent || !steps_.GetRefDataJSON || !steps_.writeArchive)
        throw std::invalid_argument("ReadFlow: every step must be given");
}

std::optional<QString> ReadFlow::normalisedPatientId(const QString& typed) {
    return archive::archiveId(typed);
}

void ReadFlow::fail(const QString& message) { ctx_.prompts.message(message); }

bool ReadFlow::ensureControlSoftware() {
    if (ctx_.cs.LoadLibraryCshis()) return true;
    fail(kNoControlSoftware);
    return false;
}

std::optional<QString> ReadFlow::readInstitutionCode() {
    char buffer[10] = {};
    int32_t length = sizeof buffer;
    const std::optional<int32_t> result = ctx_.cs.hiscsGetHospID(buffer, &length);
    if (!result) {
        fail(ControlSoftware::missingEntryMessage("csGetHospID"));
        return std::nullopt;
    }
    if (*result != 0) {
        fail(kNoInstitutionCode);
        return std::nullopt;
    }
    return GetFromBuffer(buffer, sizeof buffer);
}

void ReadFlow::referralStep(Query& q) {
    PatientState& p = q.patient;
    p.sRef.clear();
    std::memset(p.ICcardInfo.ReferralNote, 0, sizeof p.ICcardInfo.ReferralNote);
    if (!ctx_.view.currentSettings().cloudRefCheck) return;
    const std::optional<QString> text = steps_.GetRefDataJSON(p);
    if (!text) return;  // a failed referral query is not reported
    p.sRef = text->left(kReferralMaxChars);
    // The card record keeps a zero-terminated copy cut at a whole character.
    const QByteArray bytes = toAnsiCut(p.sRef, kReferralMaxBytes);
    std::memcpy(p.ICcardInfo.ReferralNote, bytes.constData(), size_t(bytes.size()));
}

void ReadFlow::Read() {
    if (!ctx_.startup.vpn) return;
    runDisabled([this] { runRead(); });
}

void ReadFlow::runRead() {
    ReadFlowView& view = ctx_.view;
    const ReadMode mode = view.mode();

    const std::optional<QString> hospitalCode = beginQuery();
    if (!hospitalCode) return;
    Query q;
    q.origin = QueryOrigin::Read;
    q.time = ctx_.clock.now();
    q.patient.sHospitalCode = *hospitalCode;
    // Until the card's basic data is in, no patient is known: a failure here
    // leaves the query on screen as it is.
    treadCard ptData;
    BasicInfo PtBuffer{};
    if (!ctx_.reader.getRegisterBasic(ptData, PtBuffer)) {
        fail(kNoBasicData);
        return;
    }
    q.patient.ptData = ptData;
    q.patient.PtBuffer = PtBuffer;
    q.patientId = ptData.A12ID.trimmed().toUpper();
    q.cardRead = true;
    CommitOnExit commit(view, q);

    if (readsCard(mode)) {
        const CardReadContext card{ctx_.cs, ctx_.names, ctx_.status, ctx_.clock, ctx_.prompts};
        ReadICcardData(card, view.currentSettings().card, q.patient.ptData,
                       ctx_.reader.sReadCardDrID(), q.patient.ICcardInfo);
    }

    ctx_.status.setMsg1(QStringLiteral("讀取雲端成健資格..."));
    ctx_.clock.pump();
    q.eligibility = steps_.getAdultPrevent(q.patient);

    if (readsCloud(mode) && !cloudStep(false, q)) return;
    referralStep(q);
    commit.showReport = finishQuery(q);
}

void ReadFlow::DirectRead() {
    // The page check pumps messages: no second query may start meanwhile.
    EnabledGuard buttons(ctx_.view, &ReadFlowView::setReadButtonsEnabled);
    const std::optional<QString> pageId = ctx_.cloud.patientPageOpen();
    if (!pageId) return;

    const std::optional<QString> typed = ctx_.prompts.inputBox(kIdPrompt, kIdPrompt, *pageId);
    if (!typed || typed->trimmed().isEmpty()) return;
    const std::optional<QString> id = normalisedPatientId(*typed);
    if (!id) {
        fail(kBadPatientId);
        return;
    }
    // The records are archived and shown under the typed ID: it must be the
    // page's patient.
    if (*id != *pageId) {
        fail(kIdNotOnPage);
        return;
    }
    if (!ctx_.startup.vpn) return;

    runDisabled([this, &id] { runDirectRead(*id); });
}

void ReadFlow::runDirectRead(const QString& patientId) {
    ReadFlowView& view = ctx_.view;
    const std::optional<QString> hospitalCode = beginQuery();
    if (!hospitalCode) return;

    Query q;
    q.origin = QueryOrigin::DirectRead;
    q.time = ctx_.clock.now();
    q.patientId = patientId;
    q.patient.sHospitalCode = *hospitalCode;
    // The card is not read here: the card part on screen goes with the query
    // only when it is this patient's.
    const Query& shown = view.shownQuery();
    if (shown.cardRead && shown.patientId == patientId) {
        q.patient.ptData = shown.patient.ptData;
        q.patient.PtBuffer = shown.patient.PtBuffer;
        q.patient.ICcardInfo = shown.patient.ICcardInfo;
        q.cardRead = true;
    }
    CommitOnExit commit(view, q);

    if (!cloudStep(true, q)) return;
    commit.showReport = finishQuery(q);
}

std::optional<QString> ReadFlow::beginQuery() {
    ctx_.view.showEdgePage();
    ctx_.clock.pump();
    if (!ensureControlSoftware()) return std::nullopt;
    ctx_.reader.startQuery();
    ctx_.reader.identifyProfessional();
    return readInstitutionCode();
}

bool ReadFlow::cloudStep(bool direct, Query& q) {
    QString sDrug, sLab;
    if (!ctx_.cloud.runCloudRead(direct, ctx_.startup.hisVersion, q.patientId, sDrug, sLab))
        return false;  // what a failed read produced is not this patient's whole record
    q.patient.sDrug = sDrug;
    q.patient.sLab = sLab;
    return true;
}

bool ReadFlow::finishQuery(Query& q) {
    ctx_.status.setMsg1(QStringLiteral("雲端資訊讀取完成"));
    q.completed = true;
    // A query that could not be archived is shown, but not as a finished one.
    return !ctx_.view.currentSettings().saveData || steps_.writeArchive(q);
}

void ReadFlow::runDisabled(const std::function<void()>& query) {
    EnabledGuard window(ctx_.view, &ReadFlowView::setWindowEnabled);
    try {
        query();
    } catch (const std::exception& e) {
        fail(QStringLiteral("讀取時發生未預期的錯誤: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}
