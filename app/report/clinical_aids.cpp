#include "report/clinical_aids.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "common/roc_date.h"
#include "report/clinical_tables.h"
#include "report/drug_supply.h"
#include "report/lab_trend.h"
#include "report/lab_units.h"

namespace report {

QString rocDayText(const QDate& day) {
    if (!day.isValid()) return QStringLiteral("(無日期)");
    return QStringLiteral("%1/%2/%3")
        .arg(day.year() - 1911)
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.day(), 2, 10, QLatin1Char('0'));
}

QString insurerCheckNotice() {
    return QStringLiteral(
        "本清單只比對雲端藥歷中在用藥期間的藥品,不含本次即將開立的處方;"
        "健保署雲端系統對即將開立藥品的重複用藥與交互作用檢查仍須照常進行,本清單不能取代。");
}

std::optional<double> ckdEpi2021(double creatinineMgDl, int age, bool female) {
    if (!(creatinineMgDl > 0) || age < 18) return std::nullopt;
    const double kappa = female ? 0.7 : 0.9;
    const double alpha = female ? -0.241 : -0.302;
    const double ratio = creatinineMgDl / kappa;
    double egfr = 142.0 * std::pow(std::min(ratio, 1.0), alpha) *
                  std::pow(std::max(ratio, 1.0), -1.200) * std::pow(0.9938, age);
    if (female) egfr *= 1.012;
    return egfr;
}

namespace {

struct LabColumns {
    int orderName = columnIndex(Kind::Lab, QStringLiteral("醫令名稱"));
    int item = columnIndex(Kind::Lab, QStringLiteral("檢驗項目"));
    int result = columnIndex(Kind::Lab, QStringLiteral("檢驗結果"));
    int code = columnIndex(Kind::Lab, QStringLiteral("醫令代碼"));
    int reportDate = columnIndex(Kind::Lab, QStringLiteral("報告日期"));
    int unit = columnIndex(Kind::Lab, QStringLiteral("單位"));
};

QList<const DrugSupply*> newestOfEach(const QList<const DrugSupply*>& rows);

QString drugLine(const DrugSupply& s) {
    return QStringLiteral("%1 (%2 %3)").arg(s.name.trimmed(), rocDayText(s.visit), s.source);
}

// One line per drug: the newest row of each name stands for the others.
QStringList drugLines(const QList<const DrugSupply*>& rows) {
    QStringList out;
    for (const DrugSupply* s : newestOfEach(rows)) {
        const QString line = drugLine(*s);
        if (!out.contains(line)) out << line;
    }
    return out;
}

QList<int> rowsOf(const QList<const DrugSupply*>& drugs) {
    QList<int> out;
    for (const DrugSupply* s : drugs)
        if (!out.contains(s->row)) out << s->row;
    std::sort(out.begin(), out.end());
    return out;
}

// The rows in supply by drug (the same ingredients and code): the tables are
// matched once per drug, not once per dispensing.
struct Supplied {
    QList<const DrugSupply*> rows;          // into the rows read
    QList<QList<const DrugSupply*>> drugs;  // newest dispensing first

    Supplied(const DrugSupplies& all, const QDate& day) {
        if (!day.isValid()) return;
        QList<int> byId(all.drugTokens.size(), -1);  // drugId -> index in drugs
        for (const DrugSupply& s : all.rows) {
            if (!s.inSupplyOn(day)) continue;
            rows << &s;
            int& at = byId[s.drugId];
            if (at < 0) {
                at = int(drugs.size());
                drugs.append(QList<const DrugSupply*>());
            }
            drugs[at] << &s;
        }
        for (auto& d : drugs)
            std::stable_sort(d.begin(), d.end(),
                             [](const DrugSupply* a, const DrugSupply* b) { return a->visit > b->visit; });
    }
};

QList<const DrugSupply*> matching(const Supplied& supplied, const QStringList& pattern) {
    QList<const DrugSupply*> out;
    for (const auto& d : supplied.drugs)
        if (matchesPattern(*d.first(), pattern)) out += d;
    return out;
}

// The newest dispensing of each drug among `rows`.
QList<const DrugSupply*> newestOfEach(const QList<const DrugSupply*>& rows) {
    QList<const DrugSupply*> out;
    for (const DrugSupply* s : rows)
        if (std::none_of(out.begin(), out.end(), [s](const DrugSupply* o) {
                return o->ingredients == s->ingredients && o->atc7 == s->atc7;
            }))
            out << s;
        else
            for (const DrugSupply*& o : out)
                if (o->ingredients == s->ingredients && o->atc7 == s->atc7 && s->visit > o->visit) o = s;
    return out;
}

AidSection interactions(const Supplied& supplied, const QDate& day) {
    AidSection section;
    section.title = QStringLiteral("交互作用");
    section.checked = QStringLiteral("以%1仍在用藥期間的雲端藥品 %2 筆,比對本程式整理的 %3 組高風險交互作用")
                          .arg(rocDayText(day))
                          .arg(supplied.rows.size())
                          .arg(interactionRules().size());
    for (const InteractionRule& rule : interactionRules()) {
        const auto a = matching(supplied, rule.first);
        const auto b = matching(supplied, rule.second);
        if (a.isEmpty() || b.isEmpty()) continue;
        QList<const DrugSupply*> involved;
        if (rule.third.isEmpty()) {
            // Two different drugs: one row that matches both sides is one drug.
            bool pair = false;
            for (const DrugSupply* x : newestOfEach(a))
                for (const DrugSupply* y : newestOfEach(b))
                    if (!shareIngredient(*x, *y)) pair = true;
            if (!pair) continue;
            involved = a + b;
        } else {
            // Three sides: a combination product may stand for two of them, the
            // third must be another drug.
            const auto c = matching(supplied, rule.third);
            if (c.isEmpty()) continue;
            const auto na = newestOfEach(a), nb = newestOfEach(b);
            bool found = false;
            for (const DrugSupply* z : newestOfEach(c)) {
                const bool firstOther = std::any_of(na.begin(), na.end(), [z](const DrugSupply* x) {
                    return !shareIngredient(*x, *z);
                });
                const bool secondOther = std::any_of(nb.begin(), nb.end(), [z](const DrugSupply* y) {
                    return !shareIngredient(*y, *z);
                });
                if (firstOther && secondOther) found = true;
            }
            if (!found) continue;
            involved = a + b + c;
        }
        section.findings.append({severityText(rule.severity), rule.name, rule.reason, rule.source,
                                 rowsOf(involved)});
        section.findings.last().detail += QStringLiteral("\n") + drugLines(involved).join(u'\n');
    }
    std::stable_sort(section.findings.begin(), section.findings.end(),
                     [](const AidFinding& x, const AidFinding& y) {
                         auto rank = [](const QString& s) {
                             return s == QStringLiteral("禁忌") ? 0 : s == QStringLiteral("嚴重") ? 1 : 2;
                         };
                         return rank(x.severity) < rank(y.severity);
                     });
    return section;
}

AidSection kidneySection(const Supplied& supplied, const QDate& day,
                         const std::optional<KidneyFunction>& kidney, const AidsPatient& patient) {
    AidSection section;
    section.title = QStringLiteral("腎功能");
    if (!kidney) {
        section.checked = QStringLiteral("檢驗記錄中沒有可用的血清肌酸酐結果,未計算eGFR,未檢查腎功能劑量");
        return section;
    }
    const KidneyFunction& k = *kidney;
    if (!k.egfr) {
        section.checked = QStringLiteral("最近肌酸酐 %1 (%2):%3;未檢查腎功能劑量")
                              .arg(k.resultText, rocDayText(k.date), k.note);
        return section;
    }
    const double egfr = *k.egfr;
    QString mark;
    if (egfr < 30)
        mark = QStringLiteral(" (<30)");
    else if (egfr < 60)
        mark = QStringLiteral(" (<60)");
    section.checked =
        QStringLiteral("eGFR %1 mL/min/1.73m²%2:CKD-EPI 2021,肌酸酐 %3 (%4),%5 %6歲%7;"
                       "以此比對%8仍在用藥期間的藥品與本程式整理的腎功能劑量表 %9 條")
            .arg(QString::number(egfr, 'f', 0), mark, k.resultText, rocDayText(k.date),
                 patient.sex == u'F' ? QStringLiteral("女") : QStringLiteral("男"),
                 QString::number(k.age), k.note.isEmpty() ? QString() : u',' + k.note,
                 rocDayText(day))
            .arg(renalRules().size());
    // The rule with the lowest threshold that applies speaks for a drug.
    QList<const RenalRule*> rules;
    for (const RenalRule& r : renalRules()) rules << &r;
    std::stable_sort(rules.begin(), rules.end(),
                     [](const RenalRule* a, const RenalRule* b) { return a->below < b->below; });
    QSet<QString> named;
    for (const RenalRule* r : rules) {
        if (!(egfr < r->below) || named.contains(r->name)) continue;
        const auto drugs = matching(supplied, r->drug);
        if (drugs.isEmpty()) continue;
        if (!r->withAny.isEmpty() && matching(supplied, r->withAny).isEmpty()) continue;
        named.insert(r->name);
        section.findings.append({egfr < 30 ? QStringLiteral("嚴重") : QStringLiteral("注意"),
                                 QStringLiteral("%1 (eGFR<%2)").arg(r->name).arg(r->below),
                                 r->action + u'\n' + drugLines(drugs).join(u'\n'), r->source,
                                 rowsOf(drugs)});
    }
    return section;
}

// The allergy text's words against the drug: an ingredient named in the text, the
// drug's name containing a word of the text, or a class word and a drug of the class.
// One allergy entry read once: its normalised text, its words and the classes it names.
struct Allergy {
    QString text;
    QStringList words;
    QList<const AllergyClass*> classes;

    explicit Allergy(const QString& entry) : text(normalizedIngredient(entry)) {
        static const QRegularExpression separators(QStringLiteral(R"([\s,;/、，；()（）]+)"));
        const QString upper = entry.toUpper();
        for (const QString& w : upper.split(separators, Qt::SkipEmptyParts))
            if (w.size() >= 4) words << w;
        for (const AllergyClass& c : allergyClasses())
            if (std::any_of(c.words.begin(), c.words.end(),
                            [&upper](const QString& w) { return upper.contains(w); }))
                classes << &c;
    }
};

bool allergyMatches(const Allergy& allergy, const DrugSupply& drug) {
    if (allergy.text.isEmpty()) return false;
    for (const QString& i : drug.ingredients)
        if (i.size() >= 4 && allergy.text.contains(i)) return true;
    const QString name = drug.name.toUpper();
    for (const QString& w : allergy.words)
        if (name.contains(w)) return true;
    for (const AllergyClass* c : allergy.classes)
        if (matchesPattern(drug, c->pattern)) return true;
    return false;
}

AidSection allergySection(const DrugSupplies& all, const Supplied& supplied, const QDate& day,
                          const AidsPatient& patient) {
    AidSection section;
    section.title = QStringLiteral("過敏");
    int cloudEntries = 0;
    for (const QString& a : patient.allergies) {
        const Allergy allergy(a);
        QList<const DrugSupply*> hit;
        for (const auto& d : supplied.drugs)
            if (allergyMatches(allergy, *d.first())) hit += d;
        if (hit.isEmpty()) continue;
        section.findings.append({QStringLiteral("嚴重"), QStringLiteral("健保卡過敏: %1").arg(a),
                                 drugLines(hit).join(u'\n'), QStringLiteral("健保卡過敏藥物欄"),
                                 rowsOf(hit)});
    }
    // A cloud row that records an allergy names the drug it was recorded for.
    for (const DrugSupply& recorded : all.rows) {
        if (recorded.allergyNote.isEmpty()) continue;
        const QString note = recorded.allergyNote.simplified();
        if (note.isEmpty()) continue;
        ++cloudEntries;
        QList<const DrugSupply*> hit;
        for (const auto& d : supplied.drugs)
            if (shareIngredient(*d.first(), recorded)) hit += d;
        if (hit.isEmpty()) continue;
        section.findings.append(
            {QStringLiteral("嚴重"),
             QStringLiteral("雲端過敏記錄: %1 %2").arg(recorded.name.trimmed(), rocDayText(recorded.visit)),
             note + u'\n' + drugLines(hit).join(u'\n'),
             QStringLiteral("雲端藥歷「新增過敏資料」 (%1)").arg(recorded.source), rowsOf(hit)});
    }
    section.checked =
        QStringLiteral("以健保卡過敏記錄 %1 筆與雲端過敏記錄 %2 筆,比對%3仍在用藥期間的藥品成分、名稱與藥物類別")
            .arg(patient.allergies.size())
            .arg(cloudEntries)
            .arg(rocDayText(day));
    return section;
}

AidSection ageSection(const Supplied& supplied, const QDate& day, const AidsPatient& patient) {
    AidSection section;
    section.title = QStringLiteral("高齡");
    const int age = ageOn(patient.birthday, day);
    if (age < 0) {
        section.checked = QStringLiteral("健保卡無可用的出生日期,未檢查高齡用藥");
        return section;
    }
    if (age < 65) {
        section.checked = QStringLiteral("病人於%1為 %2 歲,未滿65歲,不適用").arg(rocDayText(day)).arg(age);
        return section;
    }
    section.checked =
        QStringLiteral("病人於%1為 %2 歲;列出雲端標示「65歲以上病人宜注意用藥品項」且仍在用藥期間的藥品")
            .arg(rocDayText(day))
            .arg(age);
    QList<const DrugSupply*> marked;
    for (const DrugSupply* s : supplied.rows)
        if (!s->elderlyNote.trimmed().isEmpty()) marked << s;
    for (const DrugSupply* s : marked)
        section.findings.append({QStringLiteral("注意"),
                                 s->name.trimmed(),
                                 QStringLiteral("雲端標示: %1").arg(s->elderlyNote.simplified()),
                                 QStringLiteral("雲端藥歷「65歲以上病人宜注意用藥品項」"),
                                 {s->row}});
    return section;
}

}  // namespace

std::optional<KidneyFunction> latestKidneyFunction(const CloudTable& lab,
                                                   const AidsPatient& patient) {
    static const LabColumns c;
    std::optional<KidneyFunction> best;
    QHash<QString, bool> isCreatinine;  // by code, item and name: a few tests, many rows
    for (const CloudRow& r : lab.rows) {
        const QString key = r.cell(c.code) + u'\x1f' + r.cell(c.item) + u'\x1f' + r.cell(c.orderName);
        auto known = isCreatinine.constFind(key);
        if (known == isCreatinine.constEnd())
            known = isCreatinine.insert(key, analyteOf(r.cell(c.code), r.cell(c.item), r.cell(c.orderName)) ==
                                                 Analyte::Creatinine);
        if (!*known) continue;
        QDate date = recordDateFromText(r.caption);
        if (!date.isValid()) date = recordDateFromText(r.cell(c.reportDate));
        const auto value = parseLabValue(r.cell(c.result));
        if (!date.isValid() || !value || !value->marker.isEmpty() || !(value->value > 0)) continue;
        if (best && date <= best->date) continue;
        const QString written = r.cell(c.unit).trimmed();
        const QString unit = canonicalUnit(written);
        KidneyFunction k;
        k.date = date;
        k.resultText = (r.cell(c.result).trimmed() + u' ' + written).trimmed();
        if (unit.isEmpty()) {
            // No unit written: a serum creatinine above 20 mg/dL is not seen, below
            // 20 µmol/L not either.
            const bool molar = value->value > 20;
            k.creatinineMgDl = molar ? value->value / 88.4 : value->value;
            k.note = molar ? QStringLiteral("未載單位,依數值視為µmol/L")
                           : QStringLiteral("未載單位,依數值視為mg/dL");
        } else if (const auto mg = convertUnit(value->value, unit, QStringLiteral("mg/dL"),
                                               Analyte::Creatinine)) {
            k.creatinineMgDl = *mg;
            if (unit != QLatin1String("mg/dL"))
                k.note = QStringLiteral("%1 換算為 %2 mg/dL").arg(k.resultText,
                                                                 QString::number(*mg, 'f', 2));
        } else {
            continue;  // a unit we cannot read
        }
        best = k;
    }
    if (!best) return best;
    best->age = ageOn(patient.birthday, best->date);
    const bool female = patient.sex == u'F';
    if (patient.sex != u'M' && !female)
        best->note = QStringLiteral("健保卡無性別,無法計算eGFR");
    else if (best->age < 0)
        best->note = QStringLiteral("健保卡無出生日期,無法計算eGFR");
    else if (best->age < 18)
        best->note = QStringLiteral("未滿18歲,CKD-EPI不適用");
    else
        best->egfr = ckdEpi2021(best->creatinineMgDl, best->age, female);
    return best;
}

int ClinicalAids::interactionCount() const {
    return sections.isEmpty() ? 0 : int(sections.first().findings.size());
}

int ClinicalAids::otherCount() const {
    int n = 0;
    for (int i = 1; i < sections.size(); ++i) n += int(sections.at(i).findings.size());
    return n;
}

QStringList ClinicalAids::rowWarnings(int rowCount) const {
    QStringList out(rowCount);
    for (const AidSection& s : sections)
        for (const AidFinding& f : s.findings)
            for (int r : f.rows)
                if (r >= 0 && r < rowCount && !out.at(r).contains(s.title))
                    out[r] = out.at(r).isEmpty() ? s.title : out.at(r) + u' ' + s.title;
    return out;
}

ClinicalAids runClinicalAids(const QDate& day, const CloudTable& drugs, const CloudTable& lab,
                             const AidsPatient& patient) {
    return runClinicalAids(day, readDrugSupplies(drugs), lab, patient);
}

ClinicalAids runClinicalAids(const QDate& day, const DrugSupplies& all, const CloudTable& lab,
                             const AidsPatient& patient) {
    ClinicalAids out;
    out.day = day;
    const Supplied supplied(all, day);
    out.suppliedCount = int(supplied.rows.size());
    out.skippedText = all.skippedText();
    out.kidney = latestKidneyFunction(lab, patient);
    out.sections << interactions(supplied, day) << kidneySection(supplied, day, out.kidney, patient)
                 << allergySection(all, supplied, day, patient)
                 << ageSection(supplied, day, patient);
    return out;
}

}  // namespace report
