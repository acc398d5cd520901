// Seeds the demo folder's query archive with earlier days of one simulated
// patient, written by the program's own archive writer, so that Enter in the ID
// box of the demo has dates to list before the first "Read".
//
//   tolvane_archive_seed APP_DIR CARDS_JSON CARD_KEY CLOUD_RECORDS_JSON DATE...
//
// The card blocks are what the stand-in control software gives for that card,
// decoded as a card read decodes them (names from APP_DIR's code tables); the
// record texts are the cloud site fixture's rows for the patient, taken apart as
// the table scraper takes the site's pages apart.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include "card/card_decoding.h"
#include "card/code_tables.h"
#include "card_state.h"
#include "cloud/edge_table.h"
#include "common/atomic_file.h"
#include "encoder.h"
#include "query/archive_file.h"

namespace {

template <class T>
void fill(T& record, const QByteArray& bytes) {
    zeroRecord(record);
    std::memcpy(static_cast<void*>(&record), bytes.constData(),
                std::min<std::size_t>(sizeof record, std::size_t(bytes.size())));
}

tICcardInfo cardRecord(const sim::PatientCard& card, CardCodeLookups& names) {
    tICcardInfo info{};
    tOPD_Hospital visits;
    fill(visits, simcshis::encodeTreatmentNoNeedHpc(card));
    decodeVisits(visits, info, names);
    tDiagnosis diagnoses;
    prepareDiagnosisBuffer(diagnoses);
    QByteArray buffer(reinterpret_cast<const char*>(&diagnoses), sizeof diagnoses);
    QByteArray illnesses = buffer.left(simcshis::kCriticalIllnessSize);
    simcshis::encodeCriticalIllness(card, illnesses);
    simcshis::encodeTreatmentNeedHpc(card, buffer);
    buffer.replace(0, illnesses.size(), illnesses);
    fill(diagnoses, buffer);
    decodeDiagnoses(diagnoses, info, names);
    fill(info.MX, simcshis::encodeOutPatientPrescription(card));
    fill(info.LongTermDrug, simcshis::encodeLongTermPrescription(card));
    fill(info.ImportantMx, simcshis::encodeImportantTreatment(card));
    fill(info.allergyHX, simcshis::encodeAllergy(card));
    fill(info.preventX, simcshis::encodePrevent(card));
    if (card.sex != QLatin1String("M")) fill(info.pregnantX, simcshis::encodePregnant(card));
    return info;
}

// The fixture's rows as the site's table text shows them (captions, the
// captions again above the rows, cells split by tabs), read by the scraper.
QString recordText(const QJsonArray& captions, const QJsonArray& rows) {
    QStringList header;
    for (const QJsonValue& c : captions) header << c.toString();
    QString page = header.join(u'\t') + u'\n' + header.join(u'\t') + u'\n';
    for (const QJsonValue& row : rows) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray()) cells << cell.toString();
        page += cells.join(u'\t') + u'\n';
    }
    QString text;
    EdgeTableReader::takeRows(page, text);
    return text;
}

QJsonObject readJson(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot read " + path;
        return {};
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!doc.isObject()) *error = path + ": " + parse.errorString();
    return doc.object();
}

int fail(const QString& why) {
    std::fprintf(stderr, "tolvane_archive_seed: %s\n", qPrintable(why));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6)
        return fail("usage: APP_DIR CARDS_JSON CARD_KEY CLOUD_RECORDS_JSON DATE...");
    const QString appDir = QDir(args[1]).absolutePath() + u'/';

    // The card as the stand-in sees it, from a folder where it alone is inserted.
    QTemporaryDir sim;
    if (!QFile::copy(args[2], sim.filePath("sim-cards.json")) ||
        !sim::CardState::insert(sim.path(), args[3]))
        return fail("cannot use the card fixture " + args[2]);
    const sim::Scene scene = sim::CardState::scene(sim.path());
    if (!scene.card) return fail("no card " + args[3] + " in " + args[2] + " " + scene.error);
    const sim::PatientCard& card = *scene.card;

    QString error;
    const QJsonObject records = readJson(args[4], &error);
    if (!error.isEmpty()) return fail(error);

    CHospitalSet hospitals;
    hospitals.CreateHospitalSet(appDir);
    DiagnosisDatabase diagnoses(appDir);
    CodeTableLookups names(hospitals, diagnoses);

    archive::ArchivedQuery q;
    fill(q.PtBuffer, simcshis::encodeBasic(card));
    q.ICcardInfo = cardRecord(card, names);
    const QJsonObject patient = records["patients"].toObject()[card.id].toObject();
    q.texts.sHospitalCode = scene.sam.hospId;
    q.texts.sDrug = recordText(records["drugColumns"].toArray(), patient["drug"].toArray());
    q.texts.sLab = recordText(records["labColumns"].toArray(), patient["lab"].toArray());

    const std::optional<QString> id = archive::archiveId(card.id);
    if (!id) return fail("the card's ID cannot name a file: " + card.id);
    for (const QString& date : args.mid(5)) {
        if (!archive::isArchiveDate(date)) return fail("not a seven-digit date: " + date);
        if (!QDir(appDir).mkpath(archive::kFolder + u'/' + date.left(5)))
            return fail("cannot make the month folder of " + date);
        if (!writeFileAtomically(appDir + archive::relativePath(date, *id),
                                 archive::encodeArchive(q), &error))
            return fail(error);
    }
    return 0;
}
