#include "card_state.h"

#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace sim {
namespace {

// Scalars may be written as numbers or texts in the fixture; both come out as text.
QString text(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isString()) return v.toString();
    if (v.isDouble()) return QString::number(v.toInteger());
    return {};
}

bool flag(const QJsonObject& o, const char* key, bool fallback) {
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isBool() ? v.toBool() : fallback;
}

int32_t number(const QJsonObject& o, const char* key, int32_t fallback) {
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isDouble() ? static_cast<int32_t>(v.toInteger()) : fallback;
}

QList<int32_t> codes(const QJsonValue& v) {
    QList<int32_t> out;
    if (v.isDouble()) out << static_cast<int32_t>(v.toInteger());
    for (const QJsonValue& c : v.toArray()) {
        if (c.isDouble()) out << static_cast<int32_t>(c.toInteger());
    }
    return out;
}

template <typename T, typename F>
QList<T> list(const QJsonObject& o, const char* key, F&& each) {
    QList<T> out;
    for (const QJsonValue& v : o.value(QLatin1String(key)).toArray()) out << each(v.toObject());
    return out;
}

void applyReader(ReaderState& r, const QJsonObject& o) {
    r.portOpens = flag(o, "portOpens", r.portOpens);
    r.version = number(o, "version", r.version);
}

void applySam(SamState& s, const QJsonObject& o) {
    s.present = flag(o, "present", s.present);
    s.isSam = flag(o, "isSam", s.isSam);
    s.authenticated = flag(o, "authenticated", s.authenticated);
    s.verifyResult = number(o, "verifyResult", s.verifyResult);
    if (o.contains("hospId")) s.hospId = text(o, "hospId");
    if (o.contains("cardId")) s.cardId = text(o, "cardId");
}

void applyHpc(HpcState& h, const QJsonObject& o) {
    h.present = flag(o, "present", h.present);
    h.faulty = flag(o, "faulty", h.faulty);
    h.status = number(o, "status", h.status);
    if (o.contains("id")) h.id = text(o, "id");
    if (o.contains("cardId")) h.cardId = text(o, "cardId");
    if (o.contains("pinResults")) h.pinResults = codes(o.value("pinResults"));
    if (h.pinResults.isEmpty()) h.pinResults = {0};
}

void applyResults(QMap<QString, QList<int32_t>>& results, const QJsonObject& o) {
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QList<int32_t> seq = codes(it.value());
        if (seq.isEmpty()) {
            results.remove(it.key());
        } else {
            results.insert(it.key(), seq);
        }
    }
}

Visit visit(const QJsonObject& o) {
    Visit v{text(o, "dateTime"),   text(o, "type"),        text(o, "newborn"),
            text(o, "returnCard"), text(o, "serial"),      text(o, "hospital"),
            text(o, "opdFee"),     text(o, "opdPart"),     text(o, "admFee"),
            text(o, "admPartLow"), text(o, "admPartHigh"), {}};
    for (const QJsonValue& d : o.value("dx").toArray()) {
        if (d.isNull()) {
            v.dx << std::nullopt;
        } else {
            v.dx << d.toString();
        }
    }
    return v;
}

PatientCard patient(const QString& key, const QJsonObject& o) {
    PatientCard p;
    p.key = key;
    p.present = flag(o, "present", true);
    p.cardNo = text(o, "cardNo");
    p.name = text(o, "name");
    p.id = text(o, "id");
    p.birthday = text(o, "birthday");
    p.sex = text(o, "sex");
    p.issueDay = text(o, "issueDay");
    p.cancelMark = text(o, "cancelMark");
    p.insurer = text(o, "insurer");
    p.insuredMark = text(o, "insuredMark");
    p.validDate = text(o, "validDate");
    p.availableCount = text(o, "availableCount");
    p.newbornDate = text(o, "newbornDate");
    p.newbornMark = text(o, "newbornMark");
    p.emergencyTel = text(o, "emergencyTel");
    p.visits = list<Visit>(o, "visits", visit);
    p.criticalIllnesses = list<CriticalIllness>(o, "criticalIllnesses", [](const QJsonObject& c) {
        return CriticalIllness{text(c, "code"), text(c, "start"), text(c, "end")};
    });
    p.prescriptions = list<Prescription>(o, "prescriptions", [](const QJsonObject& c) {
        return Prescription{text(c, "dateTime"), text(c, "orderType"), text(c, "code"),
                            text(c, "site"),     text(c, "usage"),     text(c, "days"),
                            text(c, "total"),    text(c, "dispensing")};
    });
    p.longTermDrugs = list<LongTermDrug>(o, "longTermDrugs", [](const QJsonObject& c) {
        return LongTermDrug{text(c, "issueDate"), text(c, "code"), text(c, "usage"),
                            text(c, "days"), text(c, "total")};
    });
    p.majorOrders = list<MajorOrder>(o, "majorOrders", [](const QJsonObject& c) {
        return MajorOrder{text(c, "date"), text(c, "hospital"), text(c, "code"), text(c, "site"),
                          text(c, "total")};
    });
    for (const QJsonValue& a : o.value("allergies").toArray()) p.allergies << a.toString();
    p.preventiveCare = list<PreventiveCare>(o, "preventiveCare", [](const QJsonObject& c) {
        return PreventiveCare{text(c, "type"), text(c, "date"), text(c, "hospital"),
                              text(c, "exam")};
    });
    p.pregnancyExams = list<PregnancyExam>(o, "pregnancyExams", [](const QJsonObject& c) {
        return PregnancyExam{text(c, "date"), text(c, "hospital"), text(c, "exam")};
    });
    p.cumulative = list<CumulativeYear>(o, "cumulative", [](const QJsonObject& c) {
        return CumulativeYear{text(c, "year"),        text(c, "visits"),  text(c, "opdFee"),
                              text(c, "admFee"),      text(c, "opdPart"), text(c, "admPartLow"),
                              text(c, "admPartHigh"), text(c, "allPart"), text(c, "allPartLow")};
    });
    const QJsonObject fee = o.value("cumulativeFee").toObject();
    p.cumulativeOpdFee = text(fee, "opdFee");
    p.cumulativeAdmFee = text(fee, "admFee");
    p.inoculations = list<Inoculation>(o, "inoculations", [](const QJsonObject& c) {
        return Inoculation{text(c, "code"), text(c, "date"), text(c, "hospital"), text(c, "lot")};
    });
    p.organDonation = text(o, "organDonation");
    return p;
}

struct Fixture {
    QJsonObject root;
    QList<QJsonObject> cards;  // file order
    QString error;
};

Fixture readFixture(const QString& dir) {
    Fixture f;
    QFile file(QDir(dir).filePath(QLatin1String(kFixtureFile)));
    if (!file.open(QIODevice::ReadOnly)) {
        f.error = QStringLiteral("cannot open %1").arg(file.fileName());
        return f;
    }
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        f.error = QStringLiteral("%1: %2").arg(file.fileName(), err.errorString());
        return f;
    }
    f.root = doc.object();
    for (const QJsonValue& c : f.root.value("cards").toArray()) {
        if (c.isObject() && !c.toObject().value("key").toString().isEmpty())
            f.cards << c.toObject();
    }
    return f;
}

// A card may name another as its "base" and override some of its members; the chain is
// followed a bounded number of steps, so a loop in the fixture cannot hang a call.
std::optional<QJsonObject> resolvedCard(const Fixture& f, const QString& key) {
    auto find = [&](const QString& k) -> std::optional<QJsonObject> {
        for (const QJsonObject& c : f.cards) {
            if (c.value("key").toString() == k) return c;
        }
        return std::nullopt;
    };
    const std::optional<QJsonObject> card = find(key);
    if (!card) return std::nullopt;
    QJsonObject merged = *card;
    QString base = merged.value("base").toString();
    for (int depth = 0; !base.isEmpty() && depth < 8; ++depth) {
        const std::optional<QJsonObject> b = find(base);
        if (!b) break;
        for (auto it = b->begin(); it != b->end(); ++it) {
            if (!merged.contains(it.key())) merged.insert(it.key(), it.value());
        }
        base = b->value("base").toString();
    }
    return merged;
}

}  // namespace

QString CardState::defaultDir() {
    const QByteArray env = qgetenv(kDirVariable);
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&CardState::defaultDir), &info) != 0 &&
        info.dli_fname != nullptr) {
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    }
    return QDir::currentPath();
}

QString CardState::currentCardKey(const QString& dir) {
    QFile file(QDir(dir).filePath(QLatin1String(kStateFile)));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // Only the first line counts; a key is short, so a huge file is not read whole.
    const QString key = QString::fromUtf8(file.readLine(256)).trimmed();
    if (key.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) return {};
    return key;
}

Scene CardState::scene(const QString& dir) {
    Scene s;
    s.dir = dir;
    s.cardKey = currentCardKey(dir);
    const Fixture f = readFixture(dir);
    if (!f.error.isEmpty()) {
        s.error = f.error;
        s.sam.present = false;
        s.hpc.present = false;
        return s;
    }
    applyReader(s.reader, f.root.value("reader").toObject());
    applySam(s.sam, f.root.value("sam").toObject());
    applyHpc(s.hpc, f.root.value("hpc").toObject());
    applyResults(s.results, f.root.value("results").toObject());
    if (s.cardKey.isEmpty()) return s;

    const std::optional<QJsonObject> card = resolvedCard(f, s.cardKey);
    if (!card) {
        s.error = QStringLiteral("no card \"%1\" in the fixture").arg(s.cardKey);
        return s;
    }
    applyReader(s.reader, card->value("reader").toObject());
    applySam(s.sam, card->value("sam").toObject());
    applyHpc(s.hpc, card->value("hpc").toObject());
    applyResults(s.results, card->value("results").toObject());
    PatientCard p = patient(s.cardKey, *card);
    if (p.present) s.card = std::move(p);
    return s;
}

std::optional<PatientCard> CardState::load(const QString& dir) { return scene(dir).card; }

QStringList CardState::cardKeys(const QString& dir) {
    QStringList keys;
    for (const QJsonObject& c : readFixture(dir).cards) keys << c.value("key").toString();
    return keys;
}

bool CardState::insert(const QString& dir, const QString& key) {
    QSaveFile file(QDir(dir).filePath(QLatin1String(kStateFile)));
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray line =
        (key.trimmed().isEmpty() ? QStringLiteral("none") : key.trimmed()).toUtf8() + '\n';
    if (file.write(line) != line.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace sim
