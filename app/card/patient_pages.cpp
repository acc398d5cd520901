#include "card/patient_pages.h"

#include <algorithm>

#include "card/card_fields.h"
#include "card/code_tables.h"

QString CodeTablePageLookups::hospitalName(const QString& code) {
    return hospitals_.getHospitalName(code);
}

InsuranceCodeName CodeTablePageLookups::insuranceName(const QString& code) {
    return drugs_.nameOf(code);
}

namespace {
bool isEmptySlot(const QStringList& row) {
    return std::all_of(row.begin(), row.end(), [](const QString& cell) { return cell.isEmpty(); });
}

// Captions compare as text in the system's locale; equal captions keep their slot
// order, so the page does not reshuffle between two fills of the same card. Empty
// slots go after the filled rows: an empty caption would sort first and open the
// list on a screen of blank rows.
void sortByCaption(QList<QStringList>& rows) {
    const auto firstEmpty = std::stable_partition(
        rows.begin(), rows.end(), [](const QStringList& row) { return !isEmptySlot(row); });
    std::stable_sort(rows.begin(), firstEmpty, [](const QStringList& a, const QStringList& b) {
        return QString::localeAwareCompare(a.first(), b.first()) < 0;
    });
}

class Builder {
  public:
    Builder(const PatientState& state, PageLookups& lookups, PatientPages& out)
        : card_(state.ICcardInfo), lookups_(lookups), out_(out) {}

    void visits();
    void prescriptions();
    void longTermDrugs();
    void importantOrders();
    void criticalIllnesses();
    void preventiveCare();
    void pregnancyExams();

  private:
    // An empty slot is not looked up: no code, no name, no message.
    QString nameOf(const QString& code) {
        if (code.isEmpty()) return code;
        const InsuranceCodeName n = lookups_.insuranceName(code);
        if (n.status == InsuranceCodeName::Status::Failed) out_.unknownCodes << code;
        return n.name;
    }
    int columnOf(const QString& visitDateTime) const {
        for (int c = 1; c < PatientPages::kOtherColumn; ++c) {
            const QString& shown = out_.grid[c][0];
            if (!shown.isEmpty() && shown == visitDateTime) return c;
        }
        return PatientPages::kOtherColumn;
    }

    const tICcardInfo& card_;
    PageLookups& lookups_;
    PatientPages& out_;
};

void Builder::visits() {
    // Every visit with a date gets its own column, also two on the same date.
    QList<const tICcardHx*> shown;
    for (const tICcardHx& hx : card_.Hx)
        if (!text(hx.visitDateTime).trimmed().isEmpty()) shown << &hx;
    std::stable_sort(shown.begin(), shown.end(), [](const tICcardHx* a, const tICcardHx* b) {
        return text(a->visitDateTime) < text(b->visitDateTime);
    });
    for (int k = 0; k < shown.size() && k < 6; ++k) {
        const tICcardHx& hx = *shown[k];
        auto& col = out_.grid[k + 1];
        col[0] = text(hx.visitDateTime);
        col[1] = text(hx.hospitalCode) + text(hx.hospitalName);
        col[2] = text(hx.VisitType);
        const QStringList pieces = text(hx.IMP).split(QLatin1Char('`'));
        col[3] = pieces.first();
        if (pieces.size() > 1) col[4] = pieces.mid(1).join(QStringLiteral("\r\n"));
        col[6] = text(hx.OPD_Fee);
        col[7] = text(hx.OPD_part);
        col[8] = text(hx.ReturnCard);
        col[9] = text(hx.Newborn_Mark);
        col[10] = text(hx.INSUcard);
        col[11] = text(hx.ADM_Fee) + QLatin1Char(',') + text(hx.ADM_partLow) + QLatin1Char(',') +
                  text(hx.ADM_partHigh);
    }
}

void Builder::prescriptions() {
    for (const tOutPrescrSub& s : card_.MX.slot) {
        const QString p0 = fieldText(s.p0);
        const QString code = fieldText(s.p4);
        const QString name = nameOf(code);
        if (!code.isEmpty()) {
            QString& cell = out_.grid[columnOf(p0)][5];
            cell = cell.isEmpty() ? name : cell + QStringLiteral("\r\n") + name;
        }
        out_.CtreatItem << QStringList{p0.left(7),
                                       name,
                                       code,
                                       fieldText(s.p3),
                                       fieldText(s.p6),
                                       fieldText(s.p7),
                                       fieldText(s.p1),
                                       fieldText(s.p10),
                                       fieldText(s.p2)};
    }
    sortByCaption(out_.CtreatItem);
}

void Builder::longTermDrugs() {
    for (const tLongTermDrugSub& s : card_.LongTermDrug.slot) {
        const QString code = fieldText(s.p4);
        out_.ClongDrug << QStringList{fieldText(s.p0).left(7), nameOf(code),    code,
                                      fieldText(s.p7),         fieldText(s.p1), fieldText(s.p10)};
    }
    sortByCaption(out_.ClongDrug);
}

void Builder::importantOrders() {
    for (const tImportantMxSub& s : card_.ImportantMx.slot) {
        const QString code = fieldText(s.p4);
        out_.CimportantMx << QStringList{fieldText(s.p0),
                                         lookups_.hospitalName(fieldText(s.t2)),
                                         code,
                                         nameOf(code),
                                         fieldText(s.p6),
                                         fieldText(s.p10)};
    }
}

void Builder::criticalIllnesses() {
    for (const tCriticalIllness& c : card_.CriticalIllness)
        out_.CcriticalIllness << QStringList{text(c.DX), text(c.StartDate), text(c.EndDate)};
}

void Builder::preventiveCare() {
    for (const tpreventSub& e : card_.preventX.entry)
        out_.Cprevent << QStringList{fieldText(e.shortDate),
                                     lookups_.hospitalName(fieldText(e.HospitalCode)),
                                     fieldText(e.preventType), fieldText(e.examCode)};
}

void Builder::pregnancyExams() {
    for (const tpregnantSub& e : card_.pregnantX.entry)
        out_.Cpregnant << QStringList{fieldText(e.shortDate),
                                      lookups_.hospitalName(fieldText(e.HospitalCode)),
                                      fieldText(e.examCode)};
}
}  // namespace

PatientPages buildPatientPages(const PatientState& state, PageLookups& lookups) {
    PatientPages out;
    const treadCard& pt = state.ptData;
    out.CptName = pt.name;
    out.CptID = pt.A12ID;
    out.Cbirthday = pt.A13birthday;
    out.Csex = pt.sex == QLatin1Char('M') ? QStringLiteral("M") : QStringLiteral("F");

    Builder b(state, lookups, out);
    b.visits();
    b.prescriptions();
    b.longTermDrugs();
    b.importantOrders();
    b.criticalIllnesses();
    b.preventiveCare();
    b.pregnancyExams();
    out.CrefMemo = state.sRef;
    return out;
}

PatientPages buildPatientPages(const PatientState& state, HospitalNames& hospitals,
                               const QString& appPath) {
    DrugDatabase drugs(appPath);
    CodeTablePageLookups lookups(hospitals, drugs);
    return buildPatientPages(state, lookups);
}
