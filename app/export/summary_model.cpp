#include "export/summary_model.h"

#include <QHash>
#include <algorithm>

#include "card/patient_pages.h"
#include "common/roc_date.h"
#include "common/unknown_hospital.h"
#include "export/export_lookups.h"
#include "export/query_records.h"

namespace summary {

namespace {

// "113/03/05": the ROC date as the clinic reads it.
QString rocText(const QDate& d) {
    if (!d.isValid()) return {};
    return QStringLiteral("%1/%2/%3")
        .arg(d.year() - 1911)
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

// The ROC date and, beside it, the Western one; the text as written when it is no date.
QString bothCalendars(const QString& written) {
    const QDate d = rocDateFromText(written);
    if (!d.isValid()) return written;
    return QStringLiteral("%1 (%2)").arg(rocText(d), d.toString(Qt::ISODate));
}

// The date as read; the text as written when it is no date.
QString shownDate(const QDate& d, const QString& written) {
    return d.isValid() ? rocText(d) : written;
}

class Builder {
  public:
    Builder(const PatientState& state, const report::CloudSourceTables& tables,
            const SummaryExtras& extras, const SummaryContext& context, ExportLookups& lookups)
        : state_(state), tables_(tables), extras_(extras), context_(context), lookups_(lookups) {}

    SummaryDocument build() {
        doc_.title = QStringLiteral("病患摘要");
        doc_.program =
            (context_.programName + QLatin1Char(' ') + context_.programVersion).trimmed();
        header();
        allergies();
        criticalIllnesses();
        visits();
        drugs();
        duplicates();
        labs();
        addText(titles::referral, state_.sRef);
        addText(titles::eligibility, extras_.eligibilityText);
        return doc_;
    }

  private:
    // The name from the institution list; else the name the record carries; else
    // the code alone.
    QString institutionText(const Institution& i) {
        QString name = i.code.isEmpty() ? QString() : lookups_.hospitalName(i.code);
        if (name == i.code) name.clear();
        if (name.isEmpty() && i.name != unknownHospitalName()) name = i.name;
        if (i.code.isEmpty()) return name;
        return name.isEmpty() ? i.code : name + QLatin1Char(' ') + i.code;
    }

    void field(const QString& label, const QString& value) {
        doc_.fields << SummaryField{label, value};
    }

    void header() {
        const treadCard& p = state_.ptData;
        field(QStringLiteral("醫事機構"), institutionText({state_.sHospitalCode, {}}));
        const QDateTime& t = context_.queryTime;
        field(QStringLiteral("查詢時間"),
              t.isValid() ? QStringLiteral("%1 %2 (%3)")
                                .arg(rocText(t.date()), t.time().toString(QStringLiteral("HH:mm")),
                                     t.date().toString(Qt::ISODate))
                          : QString());
        field(QStringLiteral("姓名"), p.name);
        field(QStringLiteral("身分證號"), p.A12ID);
        field(QStringLiteral("出生日期"), bothCalendars(p.A13birthday));
        const QString sex = p.sex == QLatin1Char('M')   ? QStringLiteral("男")
                            : p.sex == QLatin1Char('F') ? QStringLiteral("女")
                                                        : QString();
        field(QStringLiteral("性別"), sex);
        const int age = ageOn(rocDateFromText(p.A13birthday), t.date());
        field(QStringLiteral("年齡"), age >= 0 ? QStringLiteral("%1歲").arg(age) : QString());
    }

    void addTable(const QString& title, QStringList header, QList<QStringList> rows) {
        if (rows.isEmpty()) return;
        doc_.sections << SummarySection{title, std::move(header), std::move(rows), {}};
    }
    void addText(const QString& title, const QString& text) {
        const QString t = text.trimmed();
        if (t.isEmpty()) return;
        doc_.sections << SummarySection{title, {}, {}, t};
    }

    void allergies() {
        QList<QStringList> rows;
        for (const QString& a : cardAllergies(state_.ICcardInfo)) rows << QStringList{a};
        addTable(titles::allergies, {QStringLiteral("過敏藥物或物質")}, rows);
    }

    void criticalIllnesses() {
        QList<QStringList> rows;
        for (const CriticalIllness& c : cardCriticalIllnesses(state_.ICcardInfo, lookups_))
            rows << QStringList{c.diagnosis.code, c.diagnosis.name, shownDate(c.start, c.startText),
                                shownDate(c.end, c.endText)};
        addTable(titles::criticalIllnesses,
                 {QStringLiteral("代碼"), QStringLiteral("名稱"), QStringLiteral("起日"),
                  QStringLiteral("迄日")},
                 rows);
    }

    void visits() {
        QList<Visit> visits = cardVisits(state_.ICcardInfo, lookups_);
        // Latest first; the card's date-time text sorts as its time.
        std::stable_sort(visits.begin(), visits.end(), [](const Visit& a, const Visit& b) {
            return a.dateTimeText > b.dateTimeText;
        });
        QList<QStringList> rows;
        for (const Visit& v : visits) {
            QStringList dx;
            for (const Diagnosis& d : v.diagnoses)
                dx << (d.name.isEmpty() ? d.code : d.code + QLatin1Char(' ') + d.name);
            const QString when =
                v.when.isValid()
                    ? rocText(v.when.date) + (v.when.hasTime
                                                  ? v.when.time.toString(QStringLiteral(" HH:mm"))
                                                  : QString())
                    : v.dateTimeText;
            rows << QStringList{when, institutionText(v.institution), dx.join(QLatin1Char('\n'))};
        }
        addTable(titles::visits,
                 {QStringLiteral("就醫日期"), QStringLiteral("醫事機構"), QStringLiteral("診斷")},
                 rows);
    }

    void drugs() {
        const QDate today = context_.queryTime.date();
        QList<Drug> inSupply;
        const auto take = [&](const QList<Drug>& list) {
            for (const Drug& d : list) {
                const auto left = d.remainingOn(today);
                if (left && *left > 0 && d.start <= today) inSupply << d;
            }
        };
        take(cloudDrugs(tables_.drug));
        QList<Drug> card;
        for (const Drug& d : cardPrescriptions(state_.ICcardInfo, lookups_))
            if (d.source == DrugSource::CardLongTerm) card << d;
        take(card);
        std::stable_sort(inSupply.begin(), inSupply.end(),
                         [](const Drug& a, const Drug& b) { return a.start > b.start; });
        QList<QStringList> rows;
        for (const Drug& d : inSupply) {
            const QString where = d.source == DrugSource::Cloud ? institutionText(d.institution)
                                                                : QStringLiteral("健保卡長期處方");
            rows << QStringList{rocText(d.start),
                                d.name.isEmpty() ? d.code : d.name,
                                d.usage,
                                d.quantity,
                                QString::number(*d.days),
                                QString::number(*d.remainingOn(today)),
                                where};
        }
        addTable(titles::drugs,
                 {QStringLiteral("起始日"), QStringLiteral("藥品名稱"), QStringLiteral("用法用量"),
                  QStringLiteral("總量"), QStringLiteral("日數"), QStringLiteral("餘藥日數"),
                  QStringLiteral("醫事機構")},
                 rows);
    }

    void duplicates() {
        if (!extras_.duplicateCheckOn) return;
        QList<QStringList> rows;
        for (const DuplicateGroup& g : extras_.duplicates)
            if (!g.drugs.isEmpty()) rows << QStringList{g.reason, g.drugs.join(QLatin1Char('\n'))};
        addTable(titles::duplicates, {QStringLiteral("重複項目"), QStringLiteral("藥品")}, rows);
    }

    void labs() {
        // The latest result of each item; on the same day the first row listed wins.
        QList<LabResult> latest;
        QHash<QString, qsizetype> at;
        for (const LabResult& l : cloudLabResults(tables_.lab)) {
            const QString key = l.orderCode + QChar(0x1f) + l.label();
            const auto it = at.constFind(key);
            if (it == at.cend()) {
                at.insert(key, latest.size());
                latest << l;
            } else if (l.date.isValid() &&
                       (!latest[*it].date.isValid() || l.date > latest[*it].date)) {
                latest[*it] = l;
            }
        }
        std::stable_sort(latest.begin(), latest.end(),
                         [](const LabResult& a, const LabResult& b) { return a.date > b.date; });
        QList<QStringList> rows;
        for (const LabResult& l : latest)
            rows << QStringList{shownDate(l.date, l.dateText),
                                l.label(),
                                l.value,
                                l.unit,
                                l.referenceRange,
                                l.outOfRangeMark()};
        addTable(titles::labs,
                 {QStringLiteral("檢驗日期"), QStringLiteral("檢驗項目"), QStringLiteral("結果"),
                  QStringLiteral("單位"), QStringLiteral("參考值"), QStringLiteral("異常")},
                 rows);
    }

    const PatientState& state_;
    const report::CloudSourceTables& tables_;
    const SummaryExtras& extras_;
    const SummaryContext& context_;
    ExportLookups& lookups_;
    SummaryDocument doc_;
};

}  // namespace

const SummarySection* SummaryDocument::section(const QString& wanted) const {
    for (const SummarySection& s : sections)
        if (s.title == wanted) return &s;
    return nullptr;
}

int ageOn(const QDate& birthday, const QDate& day) {
    if (!birthday.isValid() || !day.isValid() || birthday > day) return -1;
    int age = day.year() - birthday.year();
    if (day.month() < birthday.month() ||
        (day.month() == birthday.month() && day.day() < birthday.day()))
        --age;
    return age;
}

SummaryDocument buildSummary(const PatientState& state, const report::CloudSourceTables& tables,
                             const SummaryExtras& extras, const SummaryContext& context,
                             ExportLookups& lookups) {
    return Builder(state, tables, extras, context, lookups).build();
}

}  // namespace summary
