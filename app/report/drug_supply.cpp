#include "report/drug_supply.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <climits>
#include <optional>

#include "common/roc_date.h"

namespace report {

namespace {

// Words that name the salt or the water of crystallisation, not the drug. They
// are dropped only after the first word, so "Potassium chloride" stays potassium.
const QSet<QString>& saltWords() {
    static const QSet<QString> words = {
        "HCL",        "HYDROCHLORIDE", "DIHYDROCHLORIDE", "HBR",        "HYDROBROMIDE",
        "POTASSIUM",  "SODIUM",        "CALCIUM",         "MAGNESIUM",  "MALEATE",
        "BESYLATE",   "BESILATE",      "MESYLATE",        "MESILATE",   "FUMARATE",
        "SUCCINATE",  "TARTRATE",      "CITRATE",         "SULFATE",    "SULPHATE",
        "BISULFATE",  "HYDROGENSULFATE", "ACETATE",       "PHOSPHATE",  "CHLORIDE",
        "BROMIDE",    "HYDRATE",       "MONOHYDRATE",     "DIHYDRATE",  "TRIHYDRATE",
        "HEMIHYDRATE", "SESQUIHYDRATE", "ANHYDROUS",      "TROMETHAMINE", "ERBUMINE",
        "MEDOXOMIL",  "CILEXETIL",     "AXETIL",          "DISODIUM",   "DIPROPIONATE",
    };
    return words;
}

struct Columns {
    int source = columnIndex(Kind::Drug, QStringLiteral("來源"));
    int ingredients = columnIndex(Kind::Drug, QStringLiteral("成分名稱"));
    int name = columnIndex(Kind::Drug, QStringLiteral("藥品名稱"));
    int days = columnIndex(Kind::Drug, QStringLiteral("給藥日數"));
    int refill = columnIndex(Kind::Drug, QStringLiteral("連箋領藥日"));
    int remaining = columnIndex(Kind::Drug, QStringLiteral("餘藥日數"));
    int visitNo = columnIndex(Kind::Drug, QStringLiteral("就醫序號"));
    int atc5 = columnIndex(Kind::Drug, QStringLiteral("ATC5代碼"));
    int atc7 = columnIndex(Kind::Drug, QStringLiteral("ATC7代碼"));
    int allergy = columnIndex(Kind::Drug, QStringLiteral("新增過敏資料"));
    int elderly = columnIndex(Kind::Drug, QStringLiteral("65歲以上病人宜注意用藥品項"));
};

// One to nine ASCII digits and nothing else, as nearly every row writes its
// numbers: read without the general parse, which gives the same value.
std::optional<int> bareDigits(const QString& cell) {
    if (cell.isEmpty() || cell.size() > 9) return std::nullopt;
    int n = 0;
    for (QChar ch : cell) {
        if (ch < u'0' || ch > u'9') return std::nullopt;
        n = n * 10 + (ch.unicode() - u'0');
    }
    return n;
}

// A blank cell is 0; a cell that is not a whole number is no value at all.
std::optional<int> dayCount(const QString& cell) {
    if (cell.isEmpty()) return 0;
    if (const auto n = bareDigits(cell)) return n;
    const QStringView t = QStringView(cell).trimmed();
    if (t.isEmpty()) return 0;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (!ok || n < 0) return std::nullopt;
    return n;
}

// A visit number as QStringView::toInt reads it.
int visitNumber(const QString& cell, bool* ok) {
    if (const auto n = bareDigits(cell)) {
        *ok = true;
        return *n;
    }
    return QStringView(cell).trimmed().toInt(ok);
}

// Day counts are at most INT_MAX, well inside the calendar's range.
QDate addDaysClamped(const QDate& d, qint64 days) { return d.addDays(days); }

}  // namespace

namespace {

// Names two records use for one ingredient, as the first spelling.
const QHash<QString, QString>& synonyms() {
    static const QHash<QString, QString> names = {
        {"ACETAMINOPHEN", "PARACETAMOL"},       {"GLYBURIDE", "GLIBENCLAMIDE"},
        {"ACETYLSALICYLICACID", "ASPIRIN"},     {"ALBUTEROL", "SALBUTAMOL"},
        {"CLAVULANICACID", "CLAVULANATE"},      {"HCTZ", "HYDROCHLOROTHIAZIDE"},
        {"SULPHAMETHOXAZOLE", "SULFAMETHOXAZOLE"}, {"FRUSEMIDE", "FUROSEMIDE"},
    };
    return names;
}

}  // namespace

QString normalizedIngredient(const QString& name) {
    static const QRegularExpression bracketed(QStringLiteral(R"(\([^)]*\)|（[^）]*）)"));
    static const QRegularExpression separators(QStringLiteral(R"([\s\-_.]+)"));
    QString t = name.toUpper();
    t.remove(bracketed);
    const QStringList words = t.split(separators, Qt::SkipEmptyParts);
    QString out;
    for (int i = 0; i < words.size(); ++i)
        if (i == 0 || !saltWords().contains(words.at(i))) out += words.at(i);
    return synonyms().value(out, out);
}

QStringList rowIngredients(const CloudRow& row) {
    static const QRegularExpression split(QStringLiteral(R"([/+,;&、＋／，；])"));
    static const Columns c;
    QStringList out;
    for (const QString& part : row.cell(c.ingredients).split(split, Qt::SkipEmptyParts)) {
        const QString n = normalizedIngredient(part);
        if (!n.isEmpty() && !out.contains(n)) out.append(n);
    }
    return out;
}

int DrugSupply::remainingOn(const QDate& day) const {
    if (!day.isValid() || start > day) return 0;
    const qint64 periodLeft = days > 0 ? day.daysTo(end) + 1 : 0;
    return int(std::min<qint64>(std::max<qint64>({qint64(siteRemaining), periodLeft, 0}), INT_MAX));
}

QDate DrugSupply::lastDayOn(const QDate& day) const {
    if (siteRemaining > 0 && day.isValid()) {
        const QDate bySite = addDaysClamped(day, siteRemaining - 1);
        if (bySite > end) return bySite;
    }
    return end;
}

bool shareIngredient(const DrugSupply& a, const DrugSupply& b) {
    for (const QString& t : a.tokens_)
        if (b.tokens_.contains(t)) return true;
    return false;
}

namespace {

const QString kNoCell;

// A cell without the copy CloudRow::cell makes: the reading touches every cell.
inline const QString& cellOf(const CloudRow& r, int column) {
    if (column == 0) return r.caption;
    return column > 0 && column <= r.values.size() ? r.values.at(column - 1) : kNoCell;
}

}  // namespace

DrugSupplies readDrugSupplies(const CloudTable& drugs) {
    static const Columns c;
    DrugSupplies out;
    out.rows.reserve(drugs.rows.size());
    // A patient's rows repeat a few drugs many times.
    struct KnownDrug {
        QString atc7Cell, atc5Cell;  // as written
        QString atc7, atcClass;
        QStringList ingredients, tokens;
        int drugId = -1;
    };
    QHash<QString, QList<KnownDrug>> drugs_;  // by the ingredients as written
    QHash<QString, QPair<QString, int>> sourceLines;  // as written -> one line, number
    QHash<QString, int> visitNos;
    QHash<quint64, int> prescriptions;
    prescriptions.reserve(drugs.rows.size());
    QHash<QString, int> drugIds;
    // The rows of one visit share its date, and a patient has far fewer visits than rows.
    QHash<QString, QDate> visitDates;
    const int rowCount = int(drugs.rows.size());
    for (int i = 0; i < rowCount; ++i) {
        const CloudRow& r = drugs.rows.at(i);
        auto skip = [&](const QString& reason) { out.skipped.append({i, reason}); };
        DrugSupply s;
        s.row = i;
        auto date = visitDates.constFind(r.caption);
        if (date == visitDates.constEnd())
            date = visitDates.insert(r.caption, recordDateFromText(r.caption));
        s.visit = *date;
        if (!s.visit.isValid()) {
            skip(QStringLiteral("就醫日期無法辨識 (%1)").arg(r.caption.trimmed()));
            continue;
        }
        const auto days = dayCount(cellOf(r, c.days));
        if (!days) {
            skip(QStringLiteral("給藥日數非整數 (%1)").arg(cellOf(r, c.days).trimmed()));
            continue;
        }
        const auto remaining = dayCount(cellOf(r, c.remaining));
        if (!remaining) {
            skip(QStringLiteral("餘藥日數非整數 (%1)").arg(cellOf(r, c.remaining).trimmed()));
            continue;
        }
        // What names the drug: read once for each way a patient's rows write it.
        QList<KnownDrug>& sameText = drugs_[cellOf(r, c.ingredients)];
        const QString& atc7Cell = cellOf(r, c.atc7);
        const QString& atc5Cell = cellOf(r, c.atc5);
        auto known = std::find_if(sameText.cbegin(), sameText.cend(), [&](const KnownDrug& k) {
            return k.atc7Cell == atc7Cell && k.atc5Cell == atc5Cell;
        });
        if (known == sameText.cend()) {
            KnownDrug k;
            k.atc7Cell = atc7Cell;
            k.atc5Cell = atc5Cell;
            k.atc7 = cellOf(r, c.atc7).trimmed().toUpper();
            k.ingredients = rowIngredients(r);
            k.tokens = k.ingredients;
            if (!k.atc7.isEmpty() && !k.tokens.contains(k.atc7)) k.tokens << k.atc7;
            const QString atc5 = cellOf(r, c.atc5).trimmed().toUpper();
            // The class is the fourth ATC level, the first five characters of a code.
            k.atcClass = (atc5.size() >= 5 ? atc5 : k.atc7).left(5);
            if (k.atcClass.size() < 5) k.atcClass.clear();
            QStringList sorted = k.tokens;
            sorted.sort();
            const QString key = sorted.join(u'|');
            auto id = drugIds.constFind(key);
            if (id == drugIds.constEnd()) {
                id = drugIds.insert(key, int(out.drugTokens.size()));
                out.drugTokens << k.tokens;
            }
            k.drugId = *id;
            sameText.append(k);
            known = sameText.cend() - 1;
        }
        s.atc7 = known->atc7;
        s.ingredients = known->ingredients;
        s.tokens_ = known->tokens;
        s.atcClass = known->atcClass;
        s.drugId = known->drugId;
        if (s.atc7.isEmpty() && s.ingredients.isEmpty()) {
            skip(QStringLiteral("無ATC碼亦無成分名稱"));
            continue;
        }
        // A chronic refill's supply starts on the day it was collected.
        const QDate refill = recordDateFromText(cellOf(r, c.refill));
        s.start = refill.isValid() && refill >= s.visit ? refill : s.visit;
        s.days = *days;
        s.end = addDaysClamped(s.start, qint64(s.days) - 1);
        s.siteRemaining = *remaining;
        s.name = cellOf(r, c.name);
        if (const QString& a = cellOf(r, c.allergy); !a.isEmpty()) s.allergyNote = a;
        if (const QString& e = cellOf(r, c.elderly); !e.isEmpty()) s.elderlyNote = e;
        const QString& source = cellOf(r, c.source);
        // "name\ncode" on one line; most sources repeat, so each is made once.
        auto line = sourceLines.constFind(source);
        if (line == sourceLines.constEnd())
            line = sourceLines.insert(source, {source.simplified(), int(sourceLines.size())});
        s.source = line->first;
        // One number per prescription: the day, the institution and the visit number.
        // Visit numbers are digits as a rule: their value serves, others are numbered.
        const QString& visitNo = cellOf(r, c.visitNo);
        bool digits = false;
        const int asNumber = visitNumber(visitNo, &digits);
        int visitId = 0;
        if (digits && asNumber >= 0 && asNumber < 0x80000) {
            visitId = asNumber;
        } else {
            auto visit = visitNos.constFind(visitNo);
            if (visit == visitNos.constEnd()) visit = visitNos.insert(visitNo, int(visitNos.size()));
            visitId = 0x80000 | *visit;
        }
        // Days, institutions and visit numbers all fit their bits by far.
        const quint64 key = (quint64(s.visit.toJulianDay() & 0xFFFFFF) << 40) |
                            (quint64(line->second & 0xFFFFF) << 20) | quint64(visitId & 0xFFFFF);
        auto p = prescriptions.constFind(key);
        if (p == prescriptions.constEnd()) p = prescriptions.insert(key, int(prescriptions.size()));
        s.prescription = *p;
        out.rows.append(std::move(s));
    }
    return out;
}

QList<DrugSupply> suppliedOn(const DrugSupplies& all, const QDate& day) {
    QList<DrugSupply> out;
    for (const DrugSupply& s : all.rows)
        if (s.inSupplyOn(day)) out.append(s);
    return out;
}

QString DrugSupplies::skippedText() const {
    if (skipped.isEmpty()) return {};
    QStringList parts;
    for (const SkippedDrugRow& s : skipped)
        parts << QStringLiteral("第%1筆 %2").arg(s.row + 1).arg(s.reason);
    return QStringLiteral("%1 筆無法判讀: ").arg(skipped.size()) + parts.join(QStringLiteral("; "));
}

int ageOn(const QDate& birthday, const QDate& day) {
    if (!birthday.isValid() || !day.isValid() || day < birthday) return -1;
    int age = day.year() - birthday.year();
    if (day.month() < birthday.month() ||
        (day.month() == birthday.month() && day.day() < birthday.day()))
        --age;
    return age;
}

}  // namespace report
