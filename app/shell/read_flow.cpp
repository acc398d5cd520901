#include "shell/read_flow.h"

#include <QRegularExpression>
#include <cstring>
#include <exception>

#include "card/control_software.h"
#include "card/reader_connection.h"
#include "cloud/edge_chart.h"
#include "common/card_text.h"
#include "common/clock.h"
#include "common/codepage.h"
#include "common/prompts.h"
#include "common/status_sink.h"

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

}  // namespace

ReadFlow::ReadFlow(ReadFlowContext ctx, ReadFlowSteps steps)
    : ctx_(ctx), steps_(std::move(steps)) {}

std::optional<QString> ReadFlow::normalisedPatientId(const QString& typed) {
    static const QRegularExpression tenLettersOrDigits(QStringLiteral("^[A-Z0-9]{10}$"));
    const QString id = typed.trimmed().toUpper();
    if (!tenLettersOrDigits.match(id).hasMatch()) return std::nullopt;
    return id;
}

void ReadFlow::fail(const QString& message) { ctx_.prompts.message(message); }

bool ReadFlow::ensureControlSoftware() {
    if (ctx_.cs.LoadLibraryCshis()) return true;
    fail(kNoControlSoftware);
    return false;
}

bool ReadFlow::readInstitutionCode() {
    char buffer[10] = {};
    int32_t length = sizeof buffer;
    const std::optional<int32_t> result = ctx_.cs.hiscsGetHospID(buffer, &length);
    if (!result) {
        fail(ControlSoftware::missingEntryMessage("csGetHospID"));
        return false;
    }
    if (*result != 0) {
        fail(kNoInstitutionCode);
        return false;
    }
    ctx_.patient.sHospitalCode = GetFromBuffer(buffer, sizeof buffer);
    return true;
}

void ReadFlow::referralStep() {
    PatientState& p = ctx_.patient;
    p.sRef.clear();
    if (!ctx_.view.currentSettings().cloudRefCheck) return;
    const std::optional<QString> text = steps_.GetRefDataJSON();
    if (!text) return;  // a failed referral query is not reported
    p.sRef = text->left(kReferralMaxChars);
    // The card record keeps a zero-terminated copy cut at a whole character.
    const QByteArray bytes = toAnsiCut(p.sRef, kReferralMaxBytes);
    std::memset(p.ICcardInfo.ReferralNote, 0, sizeof p.ICcardInfo.ReferralNote);
    std::memcpy(p.ICcardInfo.ReferralNote, bytes.constData(), size_t(bytes.size()));
    ctx_.view.setReferralMemo(p.sRef);
}

void ReadFlow::Read() {
    PatientState& p = ctx_.patient;
    p.sDrug.clear();
    p.sLab.clear();
    p.sRef.clear();
    // The memo shows the referrals of the patient being read, or nothing.
    ctx_.view.setReferralMemo(QString());
    if (!ctx_.startup.vpn) return;

    runDisabled([this] { runRead(); });
}

void ReadFlow::runRead() {
    PatientState& p = ctx_.patient;
    ReadFlowView& view = ctx_.view;
    const ReadMode mode = view.mode();

    if (!beginQuery()) return;
    // Read into a scratch record: a failed read leaves the shown patient whole.
    treadCard ptData = p.ptData;
    BasicInfo PtBuffer{};
    if (!ctx_.reader.getRegisterBasic(ptData, PtBuffer)) {
        fail(kNoBasicData);
        return;
    }
    p.ptData = ptData;
    p.PtBuffer = PtBuffer;

    if (readsCard(mode)) {
        const CardReadContext card{ctx_.cs, ctx_.names, ctx_.status, ctx_.clock, ctx_.prompts};
        ReadICcardData(card, view.currentSettings().card, p.ptData, ctx_.reader.sReadCardDrID(),
                       p.ICcardInfo);
    } else {
        // This mode reads no card content: an earlier patient's must not stay
        // in the record that is shown and archived under this one.
        p.ICcardInfo = tICcardInfo{};
    }
    // The record is this patient's now, whatever happens later in the query: the
    // pages and the status must not go on showing the earlier one.
    view.fillPTdata();
    ctx_.status.setMsg3(p.ptData.name);
    if (!readsCloud(mode)) view.clearCloudRecords();

    ctx_.status.setMsg1(QStringLiteral("讀取雲端成健資格..."));
    ctx_.clock.pump();
    const QString ae = steps_.getAdultPrevent();
    ctx_.status.setMsg3(p.ptData.name + QLatin1Char(' ') + ae);

    if (readsCloud(mode) &&
        !ctx_.cloud.runCloudRead(false, ctx_.startup.hisVersion, p.ptData.A12ID, p.sDrug, p.sLab))
        return;

    referralStep();
    finishQuery(mode, p.ptData.A12ID.toUpper(), ae, false);
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

    PatientState& p = ctx_.patient;
    p.sDrug.clear();
    p.sLab.clear();
    p.sRef.clear();
    if (!ctx_.startup.vpn) return;

    // The card is not read here: what the record holds may be shown and
    // archived under this ID only when it is this patient's.
    if (p.ptData.A12ID.trimmed().toUpper() != *id) {
        p.ptData = treadCard{};
        p.PtBuffer = BasicInfo{};
        p.ICcardInfo = tICcardInfo{};
        ctx_.view.fillPTdata();
        ctx_.status.setMsg3(*id);
    }

    runDisabled([this, &id] { runDirectRead(*id); });
}

void ReadFlow::runDirectRead(const QString& patientId) {
    PatientState& p = ctx_.patient;
    ReadFlowView& view = ctx_.view;
    const ReadMode mode = view.mode();

    if (!beginQuery()) return;
    if (!readsCloud(mode)) view.clearCloudRecords();

    if (!ctx_.cloud.runCloudRead(true, ctx_.startup.hisVersion, patientId, p.sDrug, p.sLab)) return;

    finishQuery(mode, patientId, QString(), readsCard(mode));
}

bool ReadFlow::beginQuery() {
    ctx_.view.showEdgePage();
    ctx_.clock.pump();
    if (!ensureControlSoftware()) return false;
    ctx_.reader.startQuery();
    ctx_.reader.identifyProfessional();
    return readInstitutionCode();
}

void ReadFlow::finishQuery(ReadMode mode, const QString& patientId, const QString& ae,
                           bool drawPages) {
    ReadFlowView& view = ctx_.view;
    ctx_.status.setMsg1(QStringLiteral("雲端資訊讀取完成"));
    if (drawPages) view.fillPTdata();
    if (readsCloud(mode)) view.fillCloudData();
    // A query that could not be archived ends here, after the archive's message.
    if (view.currentSettings().saveData && !steps_.writeArchive(patientId, ae)) return;
    view.showCloud(QStringLiteral("drug"));
}

void ReadFlow::runDisabled(const std::function<void()>& query) {
    EnabledGuard window(ctx_.view, &ReadFlowView::setWindowEnabled);
    try {
        query();
    } catch (const std::exception& e) {
        fail(QStringLiteral("讀取時發生未預期的錯誤: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}
