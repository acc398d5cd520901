#include "export/query_records.h"

#include <QRegularExpression>
#include <cmath>

#include "card/card_fields.h"
#include "card/card_records.h"
#include "card/patient_pages.h"
#include "export/export_lookups.h"

namespace summary {

namespace {

// Column positions by caption, so a reordered table cannot shift what we read.
int drugColumn(const char* caption) {
    return report::columnIndex(report::Kind::Drug, QString::fromUtf8(caption));
}
int labColumn(const char* caption) {
    return report::columnIndex(report::Kind::Lab, QString::fromUtf8(caption));
}

std::optional<int> dayCount(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 0) return std::nullopt;
    return n;
}

struct Bounds {
    std::optional<double> low, high;
    bool highExclusive = false, lowExclusive = false;
};

// Reference ranges as the laboratories write them: "70-100", "4.0 - 6.0", "<200",
// "<=5", "≦5", ">40", "≧40". Anything else cannot be read.
std::optional<Bounds> readRange(const QString& range) {
    static const QRegularExpression between(
        QStringLiteral(R"(^\s*(-?\d+(?:\.\d+)?)\s*[-~～]\s*(-?\d+(?:\.\d+)?)\s*$)"));
    static const QRegularExpression bound(
        QStringLiteral(R"(^\s*(<=|>=|<|>|≦|≧|≤|≥)\s*(-?\d+(?:\.\d+)?)\s*$)"));
    Bounds b;
    if (const auto m = between.match(range); m.hasMatch()) {
        b.low = m.captured(1).toDouble();
        b.high = m.captured(2).toDouble();
        return b;
    }
    if (const auto m = bound.match(range); m.hasMatch()) {
        const QString op = m.captured(1);
        const double v = m.captured(2).toDouble();
        if (op == QLatin1String("<")) {
            b.high = v;
            b.highExclusive = true;
        } else if (op == QLatin1String("<=") || op == QStringLiteral("≦") ||
                   op == QStringLiteral("≤")) {
            b.high = v;
        } else if (op == QLatin1String(">")) {
            b.low = v;
            b.lowExclusive = true;
        } else {
            b.low = v;
        }
        return b;
    }
    return std::nullopt;
}

}  // namespace

Institution splitSource(const QString& source) {
    // Institution codes are ten letters or digits; the code stands last.
    static const QRegularExpression codeShape(QStringLiteral("^[0-9A-Za-z]{10}$"));
    static const QRegularExpression separators(QStringLiteral("[>\\r\\n]"));
    QStringList parts;
    for (const QString& p : source.split(separators))
        if (!p.trimmed().isEmpty()) parts << p.trimmed();
    Institution i;
    if (!parts.isEmpty() && codeShape.match(parts.last()).hasMatch()) i.code = parts.takeLast();
    if (!parts.isEmpty()) i.name = parts.first();
    return i;
}

bool isPlaceholderCode(const QString& code) {
    const QString c = code.trimmed();
    return c == QLatin1String(constICD10code) ||
           (c.startsWith(QLatin1Char('[')) && c.endsWith(QLatin1Char(']')));
}

Diagnosis namedDiagnosis(const Diagnosis& onCard, ExportLookups& lookups) {
    Diagnosis d = onCard;
    // The card read wrote this when it had no name either.
    if (d.name == QLatin1String(kUnknownIcd10Text)) d.name.clear();
    const DiagnosisName n = lookups.diagnosisName(d.code);
    switch (n.status) {
        case DiagnosisStatus::Found:
            if (!n.text.trimmed().isEmpty()) d.name = n.text.trimmed();
            break;
        case DiagnosisStatus::NotFound:
            d.name.clear();
            break;
        case DiagnosisStatus::NotLookedUp:
        case DiagnosisStatus::Unavailable:
            break;
    }
    return d;
}

OrderKind orderKindOf(const QString& code) {
    static const QRegularExpression treatment(QStringLiteral("^[0-9A-Z]{4,6}[A-Z]$"));
    // Drug codes start with one or two letters; material codes with three.
    static const QRegularExpression material(QStringLiteral("^[A-Z]{3}[0-9]"));
    const QString c = code.trimmed().toUpper();
    if (c.size() == 12 || material.match(c).hasMatch()) return OrderKind::Supply;
    if (treatment.match(c).hasMatch()) return OrderKind::Treatment;
    return OrderKind::Drug;
}

std::optional<int> Drug::remainingOn(const QDate& day) const {
    if (!start.isValid() || !days || !day.isValid()) return std::nullopt;
    return int(day.daysTo(start.addDays(*days)));
}

std::optional<double> LabResult::numericValue() const {
    // Plain decimals only: the number parser would also take "inf", "nan" and "1e5",
    // which no laboratory means as a number.
    static const QRegularExpression decimal(
        QStringLiteral(R"(^[+-]?(?:\d{1,3}(?:,\d{3})+|\d+)(?:\.\d+)?$)"));
    QString t = value.trimmed();
    if (!decimal.match(t).hasMatch()) return std::nullopt;
    t.remove(QLatin1Char(','));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

QString LabResult::outOfRangeMark() const {
    const auto v = numericValue();
    const auto bounds = readRange(referenceRange);
    if (!v || !bounds) return siteMark.trimmed();
    if (bounds->high && (*v > *bounds->high || (bounds->highExclusive && *v == *bounds->high)))
        return QStringLiteral("H");
    if (bounds->low && (*v < *bounds->low || (bounds->lowExclusive && *v == *bounds->low)))
        return QStringLiteral("L");
    return {};
}

QString LabResult::label() const { return item.trimmed().isEmpty() ? orderName : item; }

Diagnosis splitDiagnosis(const QString& piece) {
    const qsizetype cut = piece.indexOf(QLatin1Char('_'));
    if (cut < 0) return {piece.trimmed(), {}};
    return {piece.first(cut).trimmed(), piece.sliced(cut + 1).trimmed()};
}

QList<Diagnosis> splitDiagnoses(const QString& imp) {
    QList<Diagnosis> out;
    for (const QString& piece : imp.split(QLatin1Char('`'), Qt::SkipEmptyParts)) {
        const Diagnosis d = splitDiagnosis(piece);
        if (!d.code.isEmpty() && !isPlaceholderCode(d.code)) out << d;
    }
    return out;
}

namespace {

// The visits as the card holds them, diagnoses with the card's own names.
QList<Visit> visitsOnCard(const tICcardInfo& card) {
    QList<Visit> out;
    for (const tICcardHx& hx : card.Hx) {
        Visit v;
        v.dateTimeText = text(hx.visitDateTime).trimmed();
        if (v.dateTimeText.isEmpty()) continue;
        v.when = rocDateTimeFromText(v.dateTimeText);
        v.institution.code = text(hx.hospitalCode).trimmed();
        v.institution.name = text(hx.hospitalName).trimmed();
        v.diagnoses = splitDiagnoses(text(hx.IMP));
        out << v;
    }
    return out;
}

}  // namespace

QList<Visit> cardVisits(const tICcardInfo& card, ExportLookups& lookups) {
    QList<Visit> out = visitsOnCard(card);
    for (Visit& v : out)
        for (Diagnosis& d : v.diagnoses) d = namedDiagnosis(d, lookups);
    return out;
}

QList<CriticalIllness> cardCriticalIllnesses(const tICcardInfo& card, ExportLookups& lookups) {
    QList<CriticalIllness> out;
    for (const tCriticalIllness& ci : card.CriticalIllness) {
        const QString dx = text(ci.DX).trimmed();
        if (dx.isEmpty()) continue;
        CriticalIllness c;
        c.diagnosis = splitDiagnosis(dx);
        if (c.diagnosis.code.isEmpty() || isPlaceholderCode(c.diagnosis.code)) continue;
        c.diagnosis = namedDiagnosis(c.diagnosis, lookups);
        c.startText = text(ci.StartDate).trimmed();
        c.endText = text(ci.EndDate).trimmed();
        c.start = rocDateFromText(c.startText);
        c.end = rocDateFromText(c.endText);
        out << c;
    }
    return out;
}

QStringList cardAllergies(const tICcardInfo& card) {
    QStringList out;
    for (const QString& a :
         {fieldText(card.allergyHX.s1), fieldText(card.allergyHX.s2), fieldText(card.allergyHX.s3)})
        if (!a.isEmpty()) out << a;
    return out;
}

QList<Drug> cardPrescriptions(const tICcardInfo& card, PageLookups& lookups) {
    QList<Drug> out;
    const QList<Visit> visits = visitsOnCard(card);
    for (const tOutPrescrSub& s : card.MX.slot) {
        Drug d;
        d.source = DrugSource::CardOutpatient;
        d.code = fieldText(s.p4);
        if (d.code.isEmpty()) continue;
        d.dateText = fieldText(s.p0);
        d.start = rocDateFromText(d.dateText);
        d.days = dayCount(fieldText(s.p1));
        d.usage = fieldText(s.p7);
        d.quantity = fieldText(s.p10);
        d.name = lookups.insuranceName(d.code).name;
        d.kind = orderKindOf(d.code);
        // The slot names its visit by date and time; the visit names the institution.
        for (const Visit& v : visits)
            if (v.dateTimeText == d.dateText) {
                d.institution = v.institution;
                break;
            }
        out << d;
    }
    for (const tLongTermDrugSub& s : card.LongTermDrug.slot) {
        Drug d;
        d.source = DrugSource::CardLongTerm;
        d.code = fieldText(s.p4);
        if (d.code.isEmpty()) continue;
        d.dateText = fieldText(s.p0);
        d.start = rocDateFromText(d.dateText);
        d.days = dayCount(fieldText(s.p1));
        d.usage = fieldText(s.p7);
        d.quantity = fieldText(s.p10);
        d.name = lookups.insuranceName(d.code).name;
        out << d;
    }
    return out;
}

QList<Drug> cloudDrugs(const report::CloudTable& table) {
    static const int source = drugColumn("來源");
    static const int atc7 = drugColumn("ATC7代碼");
    static const int atc5 = drugColumn("ATC5代碼");
    static const int code = drugColumn("藥品代碼");
    static const int name = drugColumn("藥品名稱");
    static const int days = drugColumn("給藥日數");
    static const int quantity = drugColumn("藥品用量");
    static const int usage = drugColumn("用法用量");
    static const int refill = drugColumn("連箋領藥日");
    QList<Drug> out;
    out.reserve(table.rows.size());
    for (const report::CloudRow& r : table.rows) {
        Drug d;
        d.source = DrugSource::Cloud;
        d.dateText = r.caption;
        // A refill of a long-term prescription supplies from the day it was collected.
        const QDate collected = recordDateFromText(r.cell(refill));
        d.start = collected.isValid() ? collected : recordDateFromText(r.caption);
        d.days = dayCount(r.cell(days));
        d.code = r.cell(code).trimmed();
        d.atc = r.cell(atc7).trimmed();
        if (d.atc.isEmpty()) d.atc = r.cell(atc5).trimmed();
        d.name = r.cell(name).trimmed();
        d.usage = r.cell(usage).trimmed();
        d.quantity = r.cell(quantity).trimmed();
        d.institution = splitSource(r.cell(source));
        out << d;
    }
    return out;
}

QList<LabResult> cloudLabResults(const report::CloudTable& table) {
    static const int source = labColumn("來源");
    static const int orderName = labColumn("醫令名稱");
    static const int item = labColumn("檢驗項目");
    static const int value = labColumn("檢驗結果");
    static const int range = labColumn("參考值");
    static const int orderCode = labColumn("醫令代碼");
    static const int unit = labColumn("單位");
    static const int mark = labColumn("註記");
    QList<LabResult> out;
    out.reserve(table.rows.size());
    for (const report::CloudRow& r : table.rows) {
        LabResult l;
        l.dateText = r.caption;
        l.date = recordDateFromText(r.caption);
        l.orderCode = r.cell(orderCode).trimmed();
        l.orderName = r.cell(orderName).trimmed();
        l.item = r.cell(item).trimmed();
        l.value = r.cell(value).trimmed();
        l.unit = r.cell(unit).trimmed();
        l.referenceRange = r.cell(range).trimmed();
        l.siteMark = r.cell(mark).trimmed();
        l.institution = splitSource(r.cell(source));
        out << l;
    }
    return out;
}

}  // namespace summary
