// Every Bundle the fixtures export, checked against the FHIR R4 JSON schema by
// the validator that scripts/install-deps puts beside the check script.

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

Outcome validate(const QList<QPair<QString, QByteArray>>& files) {
    QTemporaryDir dir;
    QStringList args{QStringLiteral(FHIR_SCHEMA_DIR "/validate.js")};
    for (const auto& [name, bytes] : files) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return {};
        args << f.fileName();
    }
    QProcess node;
    node.setProcessChannelMode(QProcess::MergedChannels);
    node.start(QStringLiteral("node"), args);
    if (!node.waitForFinished(60000))
        return {-1, QStringLiteral("node did not finish: ") + node.errorString()};
    return {node.exitCode(), QString::fromUtf8(node.readAll())};
}

QByteArray exported(const fixtures::Query& q) {
    fixtures::FakeLookups lookups;
    return fhir::bundleJson(
        fhir::buildBundle(q.state, q.tables, lookups, q.context.queryTime.date()));
}

TEST(FhirSchema, EveryFixtureBundleIsValidR4) {
    const Outcome o =
        validate({{QStringLiteral("full.json"), exported(fixtures::fullQuery())},
                  {QStringLiteral("empty.json"), exported(fixtures::emptyQuery())},
                  {QStringLiteral("long.json"), exported(fixtures::longQuery(40, 40))}});
    EXPECT_EQ(o.exitCode, 0) << o.output.toStdString();
    EXPECT_EQ(o.output.count(QStringLiteral("valid ")), 3) << o.output.toStdString();
}

// The check must be able to fail: an empty string and a missing required status.
TEST(FhirSchema, TheValidatorRejectsWhatTheSchemaForbids) {
    fixtures::FakeLookups lookups;
    QJsonObject b =
        fhir::buildBundle(fixtures::fullQuery().state, {}, lookups, QDate(2024, 12, 10));
    QJsonArray entries = b[QStringLiteral("entry")].toArray();
    QJsonObject entry = entries[0].toObject();
    QJsonObject patient = entry[QStringLiteral("resource")].toObject();
    patient[QStringLiteral("birthDate")] = QString();
    entry[QStringLiteral("resource")] = patient;
    entries[0] = entry;
    b[QStringLiteral("entry")] = entries;
    const Outcome o = validate({{QStringLiteral("broken.json"), fhir::bundleJson(b)}});
    EXPECT_EQ(o.exitCode, 1) << o.output.toStdString();
    EXPECT_TRUE(o.output.contains(QStringLiteral("INVALID"))) << o.output.toStdString();
}

}  // namespace
