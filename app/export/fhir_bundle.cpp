#include "export/fhir_bundle.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QUuid>

#include "card/patient_pages.h"
#include "common/unknown_hospital.h"
#include "export/export_lookups.h"
#include "export/fhir_names.h"
#include "export/query_records.h"

namespace fhir {

const QList<ProfileName>& profileNames() {
    static const QString base =
        QStringLiteral("https://twcore.mohw.gov.tw/ig/twcore/StructureDefinition/");
    static const QList<ProfileName> names{
        {QStringLiteral("Patient"), base + QStringLiteral("Patient-twcore")},
        {QStringLiteral("Organization"), base + QStringLiteral("Organization-twcore")},
        {QStringLiteral("Encounter"), base + QStringLiteral("Encounter-twcore")},
        {QStringLiteral("Condition"), base + QStringLiteral("Condition-twcore")},
        {QStringLiteral("MedicationStatement"),
         base + QStringLiteral("MedicationStatement-twcore")},
        {QStringLiteral("Observation"),
         base + QStringLiteral("Observation-laboratoryResult-twcore")},
        {QStringLiteral("AllergyIntolerance"), base + QStringLiteral("AllergyIntolerance-twcore")},
        {QStringLiteral("Procedure"), base + QStringLiteral("Procedure-twcore")},
    };
    return names;
}

QString profileOf(const QString& resourceType) {
    for (const ProfileName& p : profileNames())
        if (p.resourceType == resourceType) return p.profile;
    return {};
}

QString fhirDate(const QDate& date) {
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QString fhirDateTime(const RocDateTime& when) {
    if (!when.isValid()) return {};
    if (!when.hasTime) return fhirDate(when.date);
    // The card's times are the clinic's local time.
    return fhirDate(when.date) + QLatin1Char('T') + when.time.toString(QStringLiteral("HH:mm:ss")) +
           QStringLiteral("+08:00");
}

QString icd10WithDot(const QString& code) {
    const QString c = code.trimmed();
    if (c.size() <= 3 || c.contains(QLatin1Char('.'))) return c;
    return c.first(3) + QLatin1Char('.') + c.sliced(3);
}

QByteArray bundleJson(const QJsonObject& bundle) {
    return QJsonDocument(bundle).toJson(QJsonDocument::Indented);
}

namespace {

using summary::Diagnosis;
using summary::Drug;
using summary::Institution;
using summary::LabResult;

// Empty values are left out, never written as "".
void put(QJsonObject& o, const QString& key, const QString& value) {
    if (!value.trimmed().isEmpty()) o.insert(key, value);
}
void put(QJsonObject& o, const QString& key, const QJsonObject& value) {
    if (!value.isEmpty()) o.insert(key, value);
}
void put(QJsonObject& o, const QString& key, const QJsonArray& value) {
    if (!value.isEmpty()) o.insert(key, value);
}

QJsonObject coding(const QString& system, const QString& code, const QString& display = {}) {
    QJsonObject c;
    if (code.trimmed().isEmpty()) return c;
    put(c, QStringLiteral("system"), system);
    put(c, QStringLiteral("code"), code.trimmed());
    put(c, QStringLiteral("display"), display);
    return c;
}

QJsonObject codeable(const QList<QJsonObject>& codings, const QString& text = {}) {
    QJsonArray list;
    for (const QJsonObject& c : codings)
        if (!c.isEmpty()) list.append(c);
    QJsonObject o;
    put(o, QStringLiteral("coding"), list);
    put(o, QStringLiteral("text"), text);
    return o;
}

// The one clinical status the export states: the card and the cloud tell nothing of
// a later course, so what they list stands as it was recorded.
QJsonObject clinicalStatus(const QString& system) {
    return codeable({coding(system, QStringLiteral("active"), QStringLiteral("Active"))});
}

QJsonObject period(const QString& start, const QString& end) {
    QJsonObject p;
    put(p, QStringLiteral("start"), start);
    put(p, QStringLiteral("end"), end);
    return p;
}

class Builder {
  public:
    Builder(const PatientState& state, const report::CloudSourceTables& tables,
            ExportLookups& lookups, const QDate& queryDay)
        : state_(state), tables_(tables), lookups_(lookups), queryDay_(queryDay) {}

    QJsonObject build() {
        const QList<summary::Visit> visits = summary::cardVisits(state_.ICcardInfo, lookups_);
        QList<Drug> cardDrugs, treatments;
        // Supplies (special materials) carry nothing a receiving system could use
        // beyond their code and are left out.
        for (const Drug& d : summary::cardPrescriptions(state_.ICcardInfo, lookups_)) {
            if (d.kind == summary::OrderKind::Drug) cardDrugs << d;
            if (d.kind == summary::OrderKind::Treatment) treatments << d;
        }
        const QList<Drug> cloudDrugs = summary::cloudDrugs(tables_.drug);
        const QList<LabResult> labs = summary::cloudLabResults(tables_.lab);

        // Institutions first, so every later entry can refer to them.
        note({state_.sHospitalCode, {}});
        for (const summary::Visit& v : visits) note(v.institution);
        for (const Drug& d : cardDrugs) note(d.institution);
        for (const Drug& d : treatments) note(d.institution);
        for (const Drug& d : cloudDrugs) note(d.institution);
        for (const LabResult& l : labs) note(l.institution);

        patient();
        for (auto it = institutions_.cbegin(); it != institutions_.cend(); ++it)
            organization(it.key(), it.value());
        for (qsizetype i = 0; i < visits.size(); ++i) visit(i, visits[i]);
        criticalIllnesses();
        for (qsizetype i = 0; i < cardDrugs.size(); ++i)
            medication(QStringLiteral("card"), i, cardDrugs[i]);
        for (qsizetype i = 0; i < treatments.size(); ++i) procedure(i, treatments[i]);
        for (qsizetype i = 0; i < cloudDrugs.size(); ++i)
            medication(QStringLiteral("cloud"), i, cloudDrugs[i]);
        for (qsizetype i = 0; i < labs.size(); ++i) observation(i, labs[i]);
        allergies();

        QJsonObject bundle;
        bundle.insert(QStringLiteral("resourceType"), QStringLiteral("Bundle"));
        bundle.insert(QStringLiteral("type"), QStringLiteral("collection"));
        put(bundle, QStringLiteral("entry"), entries_);
        return bundle;
    }

  private:
    // A name-based id: the same patient and record give the same id in every export.
    QString urnFor(const QString& what) const {
        static const QUuid space(QStringLiteral("{5d0c6f3e-8f0b-4b7e-9a61-2f4c1e7d9b30}"));
        const QUuid id = QUuid::createUuidV5(space, state_.ptData.A12ID + QLatin1Char('/') + what);
        return QStringLiteral("urn:uuid:") + id.toString(QUuid::WithoutBraces);
    }
    static QJsonObject ref(const QString& urn) { return {{QStringLiteral("reference"), urn}}; }

    void add(const QString& urn, const QString& type, QJsonObject resource) {
        resource.insert(QStringLiteral("resourceType"), type);
        QJsonObject meta;
        meta.insert(QStringLiteral("profile"), QJsonArray{profileOf(type)});
        resource.insert(QStringLiteral("meta"), meta);
        entries_.append(
            QJsonObject{{QStringLiteral("fullUrl"), urn}, {QStringLiteral("resource"), resource}});
    }

    void note(const Institution& i) {
        if (i.code.isEmpty()) return;
        QString& name = institutions_[i.code];
        if (name.isEmpty() && i.name != unknownHospitalName()) name = i.name;
    }
    QJsonObject institutionRef(const Institution& i) const {
        return i.code.isEmpty() ? QJsonObject()
                                : ref(urnFor(QStringLiteral("Organization/") + i.code));
    }

    QString patientUrn() const { return urnFor(QStringLiteral("Patient")); }
    QJsonObject subject() const { return ref(patientUrn()); }

    void patient() {
        const treadCard& p = state_.ptData;
        QJsonObject r;
        if (!p.A12ID.trimmed().isEmpty()) {
            // The national ID as the guide's examples write it.
            QJsonObject suffix{
                {QStringLiteral("url"), system::identifierSuffix},
                {QStringLiteral("extension"),
                 QJsonArray{
                     QJsonObject{{QStringLiteral("url"), QStringLiteral("suffix")},
                                 {QStringLiteral("valueString"), system::nationalIdSuffix}},
                     QJsonObject{{QStringLiteral("url"), QStringLiteral("valueSet")},
                                 {QStringLiteral("valueCanonical"), system::countryCodes}}}}};
            QJsonObject typeCoding{
                {QStringLiteral("system"), system::identifierType},
                {QStringLiteral("code"), system::nationalIdTypeCode},
                {QStringLiteral("_code"),
                 QJsonObject{{QStringLiteral("extension"), QJsonArray{suffix}}}}};
            QJsonObject id{{QStringLiteral("use"), QStringLiteral("official")},
                           {QStringLiteral("type"),
                            QJsonObject{{QStringLiteral("coding"), QJsonArray{typeCoding}}}},
                           {QStringLiteral("system"), system::nationalId},
                           {QStringLiteral("value"), p.A12ID.trimmed()}};
            r.insert(QStringLiteral("identifier"), QJsonArray{id});
        }
        if (!p.name.trimmed().isEmpty())
            r.insert(QStringLiteral("name"),
                     QJsonArray{QJsonObject{{QStringLiteral("use"), QStringLiteral("official")},
                                            {QStringLiteral("text"), p.name.trimmed()}}});
        if (p.sex == QLatin1Char('M'))
            r.insert(QStringLiteral("gender"), QStringLiteral("male"));
        else if (p.sex == QLatin1Char('F'))
            r.insert(QStringLiteral("gender"), QStringLiteral("female"));
        put(r, QStringLiteral("birthDate"), fhirDate(rocDateFromText(p.A13birthday)));
        add(patientUrn(), QStringLiteral("Patient"), r);
    }

    void organization(const QString& code, const QString& recordName) {
        QJsonObject r;
        r.insert(QStringLiteral("identifier"),
                 QJsonArray{QJsonObject{{QStringLiteral("system"), system::institutionCode},
                                        {QStringLiteral("value"), code}}});
        // The list's name; the one the record carried when the list has none. The
        // guide wants a name: an institution nobody names goes by its code.
        QString name = lookups_.hospitalName(code);
        if (name == code) name.clear();
        if (name.isEmpty()) name = recordName;
        if (name.isEmpty()) name = code;
        r.insert(QStringLiteral("name"), name);
        add(urnFor(QStringLiteral("Organization/") + code), QStringLiteral("Organization"), r);
    }

    void visit(qsizetype index, const summary::Visit& v) {
        // One format call per key: archived text may itself hold "%1".
        const QString key =
            QStringLiteral("Encounter/%1/%2").arg(QString::number(index), v.dateTimeText);
        const QString encounterUrn = urnFor(key);
        QJsonArray diagnoses;
        QList<QPair<QString, QJsonObject>> conditions;
        for (qsizetype j = 0; j < v.diagnoses.size(); ++j) {
            const Diagnosis& d = v.diagnoses[j];
            const QString urn =
                urnFor(QStringLiteral("%1/Condition/%2/%3").arg(key, QString::number(j), d.code));
            QJsonObject c;
            c.insert(QStringLiteral("clinicalStatus"), clinicalStatus(system::conditionClinical));
            c.insert(QStringLiteral("category"),
                     QJsonArray{codeable(
                         {coding(system::conditionCategory, QStringLiteral("encounter-diagnosis"),
                                 QStringLiteral("Encounter Diagnosis"))})});
            put(c, QStringLiteral("code"),
                codeable({coding(system::icd10cm, icd10WithDot(d.code), d.name)}, d.name));
            c.insert(QStringLiteral("subject"), subject());
            c.insert(QStringLiteral("encounter"), ref(encounterUrn));
            put(c, QStringLiteral("onsetDateTime"), fhirDateTime(v.when));
            conditions << qMakePair(urn, c);
            QJsonObject dx{{QStringLiteral("condition"), ref(urn)}};
            dx.insert(QStringLiteral("rank"), int(j + 1));
            diagnoses.append(dx);
        }
        QJsonObject e;
        e.insert(QStringLiteral("status"), QStringLiteral("finished"));
        e.insert(QStringLiteral("class"), coding(system::encounterClass, QStringLiteral("AMB"),
                                                 QStringLiteral("ambulatory")));
        e.insert(QStringLiteral("subject"), subject());
        put(e, QStringLiteral("period"), period(fhirDateTime(v.when), {}));
        put(e, QStringLiteral("diagnosis"), diagnoses);
        put(e, QStringLiteral("serviceProvider"), institutionRef(v.institution));
        add(encounterUrn, QStringLiteral("Encounter"), e);
        for (const auto& [urn, c] : conditions) add(urn, QStringLiteral("Condition"), c);
    }

    void criticalIllnesses() {
        const QList<summary::CriticalIllness> list =
            summary::cardCriticalIllnesses(state_.ICcardInfo, lookups_);
        for (qsizetype i = 0; i < list.size(); ++i) {
            const summary::CriticalIllness& ci = list[i];
            QJsonObject c;
            c.insert(QStringLiteral("clinicalStatus"), clinicalStatus(system::conditionClinical));
            c.insert(QStringLiteral("category"),
                     QJsonArray{codeable(
                         {coding(system::conditionCategory, QStringLiteral("problem-list-item"),
                                 QStringLiteral("Problem List Item"))})});
            put(c, QStringLiteral("code"),
                codeable(
                    {coding(system::icd10cm, icd10WithDot(ci.diagnosis.code), ci.diagnosis.name)},
                    ci.diagnosis.name));
            c.insert(QStringLiteral("subject"), subject());
            // The period the critical-illness certificate covers.
            put(c, QStringLiteral("onsetPeriod"), period(fhirDate(ci.start), fhirDate(ci.end)));
            add(urnFor(QStringLiteral("CriticalIllness/%1/%2")
                           .arg(QString::number(i), ci.diagnosis.code)),
                QStringLiteral("Condition"), c);
        }
    }

    void medication(const QString& origin, qsizetype index, const Drug& d) {
        QJsonObject m;
        const QString end = d.start.isValid() && d.days && *d.days > 0
                                ? fhirDate(d.start.addDays(*d.days - 1))
                                : QString();
        const auto left = d.remainingOn(queryDay_);
        const bool taken = left && *left > 0 && d.start <= queryDay_;
        m.insert(QStringLiteral("status"),
                 taken ? QStringLiteral("active") : QStringLiteral("completed"));
        // The drug database names an unknown code by the code itself: no name then.
        const QString name = d.name == d.code ? QString() : d.name;
        put(m, QStringLiteral("medicationCodeableConcept"),
            codeable({coding(system::drugCode, d.code, name), coding(system::atc, d.atc)}, name));
        m.insert(QStringLiteral("subject"), subject());
        put(m, QStringLiteral("effectivePeriod"), period(fhirDate(d.start), end));
        put(m, QStringLiteral("informationSource"), institutionRef(d.institution));
        QString dosage = d.usage;
        if (!d.quantity.isEmpty())
            dosage = (dosage + QStringLiteral(" 總量 ") + d.quantity).trimmed();
        if (!dosage.isEmpty())
            m.insert(QStringLiteral("dosage"),
                     QJsonArray{QJsonObject{{QStringLiteral("text"), dosage}}});
        add(urnFor(QStringLiteral("MedicationStatement/%1/%2/%3/%4")
                       .arg(origin, QString::number(index), d.dateText, d.code)),
            QStringLiteral("MedicationStatement"), m);
    }

    // A treatment ordered at a visit on the card (the insurer's medical service item).
    void procedure(qsizetype index, const Drug& d) {
        QJsonObject p;
        p.insert(QStringLiteral("status"), QStringLiteral("completed"));
        const QString name = d.name == d.code ? QString() : d.name;
        p.insert(QStringLiteral("code"),
                 codeable({coding(system::medicalServiceCode, d.code, name)}, name));
        p.insert(QStringLiteral("subject"), subject());
        put(p, QStringLiteral("performedDateTime"), fhirDateTime(rocDateTimeFromText(d.dateText)));
        if (!d.institution.code.isEmpty())
            p.insert(
                QStringLiteral("performer"),
                QJsonArray{QJsonObject{{QStringLiteral("actor"), institutionRef(d.institution)}}});
        add(urnFor(QStringLiteral("Procedure/%1/%2/%3")
                       .arg(QString::number(index), d.dateText, d.code)),
            QStringLiteral("Procedure"), p);
    }

    void observation(qsizetype index, const LabResult& l) {
        QJsonObject o;
        o.insert(QStringLiteral("status"), QStringLiteral("final"));
        o.insert(
            QStringLiteral("category"),
            QJsonArray{codeable({coding(system::observationCategory, QStringLiteral("laboratory"),
                                        QStringLiteral("Laboratory"))})});
        const QString text = (l.orderCode + QLatin1Char(' ') + l.label()).trimmed();
        QJsonObject code =
            codeable({coding(system::medicalServiceCode, l.orderCode, l.orderName)}, text);
        // A code is required; a row with neither order code nor item says so.
        if (code.isEmpty()) code.insert(QStringLiteral("text"), QStringLiteral("(未知檢驗項目)"));
        o.insert(QStringLiteral("code"), code);
        o.insert(QStringLiteral("subject"), subject());
        put(o, QStringLiteral("effectiveDateTime"), fhirDate(l.date));
        put(o, QStringLiteral("performer"),
            l.institution.code.isEmpty() ? QJsonArray()
                                         : QJsonArray{institutionRef(l.institution)});
        if (const auto v = l.numericValue()) {
            QJsonObject q{{QStringLiteral("value"), *v}};
            put(q, QStringLiteral("unit"), l.unit);
            o.insert(QStringLiteral("valueQuantity"), q);
        } else {
            put(o, QStringLiteral("valueString"), l.value);
        }
        const QString mark = l.outOfRangeMark();
        if (mark == QLatin1String("H") || mark == QLatin1String("L"))
            o.insert(
                QStringLiteral("interpretation"),
                QJsonArray{codeable({coding(system::interpretation, mark,
                                            mark == QLatin1String("H") ? QStringLiteral("High")
                                                                       : QStringLiteral("Low"))})});
        if (!l.referenceRange.isEmpty())
            o.insert(QStringLiteral("referenceRange"),
                     QJsonArray{QJsonObject{{QStringLiteral("text"), l.referenceRange}}});
        add(urnFor(QStringLiteral("Observation/%1/%2/%3")
                       .arg(QString::number(index), l.dateText, l.orderCode + l.label())),
            QStringLiteral("Observation"), o);
    }

    void allergies() {
        const QStringList list = summary::cardAllergies(state_.ICcardInfo);
        for (qsizetype i = 0; i < list.size(); ++i) {
            QJsonObject a;
            a.insert(QStringLiteral("clinicalStatus"), clinicalStatus(system::allergyClinical));
            a.insert(QStringLiteral("code"), QJsonObject{{QStringLiteral("text"), list[i]}});
            a.insert(QStringLiteral("patient"), subject());
            add(urnFor(QStringLiteral("AllergyIntolerance/%1/%2").arg(QString::number(i), list[i])),
                QStringLiteral("AllergyIntolerance"), a);
        }
    }

    const PatientState& state_;
    const report::CloudSourceTables& tables_;
    ExportLookups& lookups_;
    QDate queryDay_;
    QMap<QString, QString> institutions_;  // code -> name met in the records (sorted by code)
    QJsonArray entries_;
};

}  // namespace

QJsonObject buildBundle(const PatientState& state, const report::CloudSourceTables& tables,
                        ExportLookups& lookups, const QDate& queryDay) {
    return Builder(state, tables, lookups, queryDay).build();
}

}  // namespace fhir
