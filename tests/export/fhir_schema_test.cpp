// Every Bundle the fixtures export, checked by two validators that
// scripts/install-deps puts beside the check scripts: the FHIR R4 JSON schema, and
// the R4 StructureDefinitions with their cardinalities and invariants.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include "export/fhir_bundle.h"
#include "export_fixtures.h"

namespace {

struct Outcome {
    int exitCode = -1;
    QString output;
};

const char* const kSchemaCheck = FHIR_SCHEMA_DIR "/validate.js";
const char* const kDefinitionsCheck = FHIR_SCHEMA_DIR "/validate_r4.js";

Outcome validate(const char* script, const QList<QPair<QString, QByteArray>>& files) {
    QTemporaryDir dir;
    QStringList args{QString::fromUtf8(script)};
    for (const auto& [name, bytes] : files) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return {};
        args << f.fileName();
    }
    QProcess node;
    node.setProcessChannelMode(QProcess::MergedChannels);
    node.start(QStringLiteral("node"), args);
    if (!node.waitForFinished(120000))
        return {-1, QStringLiteral("node did not finish: ") + node.errorString()};
    return {node.exitCode(), QString::fromUtf8(node.readAll())};
}

QByteArray exported(const fixtures::Query& q) {
    fixtures::FakeLookups lookups;
    return fhir::bundleJson(
        fhir::buildBundle(q.state, q.tables, lookups, q.context.queryTime.date()));
}

QList<QPair<QString, QByteArray>> everyFixtureBundle() {
    return {{QStringLiteral("full.json"), exported(fixtures::fullQuery())},
            {QStringLiteral("empty.json"), exported(fixtures::emptyQuery())},
            {QStringLiteral("long.json"), exported(fixtures::longQuery(40, 40))},
            {QStringLiteral("desk.json"), exported(fixtures::deskQuery())}};
}

// The Bundle of the full query with one resource changed by `edit`.
QByteArray brokenBundle(const QString& type, const std::function<void(QJsonObject&)>& edit) {
    fixtures::FakeLookups lookups;
    const fixtures::Query q = fixtures::fullQuery();
    QJsonObject b = fhir::buildBundle(q.state, q.tables, lookups, q.context.queryTime.date());
    QJsonArray entries = b[QStringLiteral("entry")].toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QJsonObject entry = entries[i].toObject();
        QJsonObject r = entry[QStringLiteral("resource")].toObject();
        if (r[QStringLiteral("resourceType")].toString() != type) continue;
        edit(r);
        entry[QStringLiteral("resource")] = r;
        entries[i] = entry;
        break;
    }
    b[QStringLiteral("entry")] = entries;
    return fhir::bundleJson(b);
}

TEST(FhirSchema, EveryFixtureBundleIsValidR4) {
    const auto files = everyFixtureBundle();
    for (const char* script : {kSchemaCheck, kDefinitionsCheck}) {
        const Outcome o = validate(script, files);
        EXPECT_EQ(o.exitCode, 0) << script << "\n" << o.output.toStdString();
        EXPECT_EQ(o.output.count(QStringLiteral("valid ")), files.size()) << script << "\n"
                                                                          << o.output.toStdString();
    }
}

// Each check must be able to fail: an empty string the schema forbids; an allergy
// without its clinical status (invariant ait-1) and an observation without its
// required code, which only the definitions know.
TEST(FhirSchema, TheValidatorsRejectWhatR4Forbids) {
    struct Case {
        const char* script;
        const char* type;
        std::function<void(QJsonObject&)> edit;
    };
    const Case cases[] = {
        {kSchemaCheck, "Patient",
         [](QJsonObject& r) { r[QStringLiteral("birthDate")] = QString(); }},
        {kDefinitionsCheck, "AllergyIntolerance",
         [](QJsonObject& r) { r.remove(QStringLiteral("clinicalStatus")); }},
        {kDefinitionsCheck, "Observation",
         [](QJsonObject& r) { r.remove(QStringLiteral("code")); }},
    };
    for (const Case& c : cases) {
        const Outcome o = validate(c.script, {{QStringLiteral("broken.json"),
                                               brokenBundle(QString::fromLatin1(c.type), c.edit)}});
        EXPECT_EQ(o.exitCode, 1) << c.script << " " << c.type << "\n" << o.output.toStdString();
        EXPECT_TRUE(o.output.contains(QStringLiteral("INVALID"))) << o.output.toStdString();
    }
}

}  // namespace
