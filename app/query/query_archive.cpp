#include "query/query_archive.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "card/card_decoding.h"
#include "common/ascii_text.h"
#include "common/atomic_file.h"
#include "common/clock.h"
#include "common/prompts.h"
#include "common/roc_date.h"
#include "common/status_sink.h"
#include "query/archive_file.h"

namespace {

const QString kDamaged = QStringLiteral("檔案內容錯誤");
const QString kNotSaved = QStringLiteral("查詢資料無法儲存: ");
constexpr int kMonthDigits = 5;

bool allDigits(const QString& s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Opening a stored query lets window messages run: the controls that could start
// another query or another opening stay off until it is done, on every way out.
class ControlsOff {
  public:
    ControlsOff(QueryArchiveView& view, bool& busy) : view_(view), busy_(busy) {
        busy_ = true;
        view_.setArchiveControlsEnabled(false);
    }
    ~ControlsOff() {
        busy_ = false;
        view_.setArchiveControlsEnabled(true);
    }
    ControlsOff(const ControlsOff&) = delete;
    ControlsOff& operator=(const ControlsOff&) = delete;

  private:
    QueryArchiveView& view_;
    bool& busy_;
};

}  // namespace

bool QueryArchive::write(const Query& query) {
    const auto fail = [this](const QString& why) {
        ctx_.prompts.message(kNotSaved + why);
        return false;
    };
    const std::optional<QString> id = archive::archiveId(query.patientId);
    if (!id)
        return fail(QStringLiteral("身分證號須為10碼英文字母或數字 (%1)").arg(query.patientId));
    // The query's own day: a query begun before midnight is filed, printed and
    // exported under one day.
    const QString date = DateTimeToStr7(query.day());
    if (!archive::isArchiveDate(date))
        return fail(QStringLiteral("今天的日期 %1 無法作為檔名").arg(date));

    const QString folder = archive::kFolder + u'/' + date.left(kMonthDigits);
    if (!QDir(ctx_.appPath).mkpath(folder))
        return fail(QStringLiteral("無法建立資料夾 %1").arg(QDir::toNativeSeparators(folder)));

    const PatientState& p = query.patient;
    archive::ArchivedQuery q;
    q.PtBuffer = p.PtBuffer;
    q.ICcardInfo = p.ICcardInfo;
    q.texts = {p.sHospitalCode, query.eligibility, p.sRef, p.sDrug, p.sLab};
    const QString relative = archive::relativePath(date, *id);
    QString error;
    if (!writeFileAtomically(absolute(relative), archive::encodeArchive(q), &error))
        return fail(QDir::toNativeSeparators(relative) + QStringLiteral(": ") + error);
    return true;
}

QStringList QueryArchive::storedDates(const QString& typedId) const {
    const std::optional<QString> id = archive::archiveId(typedId);
    if (!id) return {};
    const QString tail = *id + QStringLiteral(".dat");
    const QDir root(absolute(archive::kFolder));
    QStringList dates;
    for (const QString& month : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (month.size() != kMonthDigits || !allDigits(month)) continue;
        for (const QString& name : QDir(root.filePath(month)).entryList(QDir::Files)) {
            const QString date = name.left(7);
            if (archive::isArchiveDate(date) && date.startsWith(month) &&
                sameAsciiNoCase(name.mid(7), tail))
                dates.append(date);
        }
    }
    std::sort(dates.begin(), dates.end(), std::greater<>());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    return dates;
}

void QueryArchive::listStoredDates(const QString& typedId) {
    if (reopening_) return;
    const QStringList dates = storedDates(typedId);
    ctx_.view.setDateList(dates);
    if (!dates.isEmpty()) reopen(dates.first(), typedId);
}

QString QueryArchive::findStoredFile(const QString& date, const QString& id) const {
    const QString exact = archive::relativePath(date, id);
    if (QFileInfo::exists(absolute(exact))) return exact;
    const QString folder = archive::kFolder + u'/' + date.left(kMonthDigits);
    const QString wanted = date + id + QStringLiteral(".dat");
    for (const QString& name : QDir(absolute(folder)).entryList(QDir::Files, QDir::Name))
        if (sameAsciiNoCase(name, wanted)) return folder + u'/' + name;
    return exact;  // opening it gives the system's reason
}

void QueryArchive::reopen(const QString& date, const QString& typedId) {
    if (reopening_ || !archive::isArchiveDate(date)) return;
    const std::optional<QString> id = archive::archiveId(typedId);
    if (!id) return;

    const ControlsOff off(ctx_.view, reopening_);
    ctx_.status.setMsg2(QStringLiteral("讀取%1日資料中...").arg(date));
    ctx_.clock.pump();

    const QString relative = findStoredFile(date, *id);
    const archive::ReadResult r = archive::readArchiveFile(absolute(relative));
    if (r.status != archive::ReadResult::Status::Ok) {
        ctx_.prompts.message(r.status == archive::ReadResult::Status::Damaged
                                 ? kDamaged
                                 : QStringLiteral("無法開啟檔案 %1: %2")
                                       .arg(QDir::toNativeSeparators(relative), r.reason));
        ctx_.status.setMsg2(QString());
        return;
    }

    // The file was read whole: only now does it replace the query on screen.
    Query q;
    q.origin = QueryOrigin::Reopen;
    q.patientId = *id;
    q.time = QDateTime(rocDateFromText(date), QTime(0, 0));
    q.eligibility = r.query.texts.AE;
    q.completed = true;
    PatientState& p = q.patient;
    p.PtBuffer = r.query.PtBuffer;
    p.ICcardInfo = r.query.ICcardInfo;
    p.sHospitalCode = r.query.texts.sHospitalCode;
    p.sRef = r.query.texts.sRef;
    p.sDrug = r.query.texts.sDrug;
    p.sLab = r.query.texts.sLab;
    decodeBasicInfo(p.PtBuffer, p.ptData);
    // A Direct Read of a patient whose card was not read stored an empty card part.
    q.cardRead = !p.ptData.A12ID.trimmed().isEmpty();
    ctx_.view.commitQuery(q, true);
    ctx_.status.setMsg2(QStringLiteral("讀取%1日資料完成").arg(date));
}
