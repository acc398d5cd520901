// The stand-in control software: every entry point with C linkage and the argument
// layout of the real library, answering from the fixture of the program folder.
//
// Every call re-reads the fixture and the state file (so a card change takes effect at
// once), logs itself, and first consumes the next forced result of its entry point: a
// non-zero forced code is returned as it is without touching any buffer; a forced 0, or no
// forced code, runs the normal behaviour below.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>

#include "card_state.h"
#include "encoder.h"

#if defined(_WIN32) && !defined(_WIN64)
#define CSHIS_API __stdcall
#else
#define CSHIS_API
#endif
#if defined(_WIN32)
#define CSHIS_EXPORT extern "C" __declspec(dllexport)
#else
#define CSHIS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Result codes this stand-in answers with.
constexpr int32_t kOk = 0;
constexpr int32_t kNoSam = 4012;
constexpr int32_t kNoCard = 4013;
constexpr int32_t kNoHpc = 4014;
constexpr int32_t kNotSam = 4032;
constexpr int32_t kNotHpc = 4034;
constexpr int32_t kPinNotVerified = 4042;
constexpr int32_t kSamNotAuthenticated = 4050;
constexpr int32_t kMaleCard = 5079;
constexpr int32_t kBadParameter = 6018;
constexpr int32_t kPortFailed = 9205;

// What the simulated reader remembers between calls.
struct Session {
    QString cardKey;
    bool started = false;
    bool portOpen = false;
    bool samAuthenticated = false;
    bool hpcVerified = false;
    int pinIndex = 0;
    QHash<QString, int> fixturePos;  // next index into the fixture's forced results
};

struct Sim {
    std::mutex mutex;
    QString dirOverride;
    Session session;
    QStringList log;
    QHash<QString, int> counts;
    QHash<QString, QList<int32_t>> forced;  // set by a test; before the fixture's
    QHash<QString, int> forcedPos;
};

Sim& simState() {
    static Sim s;
    return s;
}

int32_t next(const QList<int32_t>& seq, int& pos) {
    const int32_t code = seq[std::min<int>(pos, static_cast<int>(seq.size()) - 1)];
    if (pos < seq.size()) ++pos;
    return code;
}

// One entry-point call: holds the lock, the scene and the forced result.
class Call {
  public:
    Call(const char* name, const QString& args) : lock_(simState().mutex), s_(simState()) {
        const QString dir =
            s_.dirOverride.isEmpty() ? sim::CardState::defaultDir() : s_.dirOverride;
        scene = sim::CardState::scene(dir);
        Session& ses = s_.session;
        // Another card (or scenario) starts a fresh session, as pulling the cards would.
        if (!ses.started || ses.cardKey != scene.cardKey) {
            ses = Session{};
            ses.started = true;
            ses.cardKey = scene.cardKey;
            ses.samAuthenticated = scene.sam.authenticated;
            ses.hpcVerified = scene.hpc.status == 3;
        }
        const QString entry = QString::fromLatin1(name);
        s_.log << entry + QLatin1Char('(') + args + QLatin1Char(')');
        ++s_.counts[entry];
        if (auto it = s_.forced.find(entry); it != s_.forced.end() && !it->isEmpty()) {
            forced = next(*it, s_.forcedPos[entry]);
        } else if (auto f = scene.results.find(entry); f != scene.results.end() && !f->isEmpty()) {
            forced = next(*f, ses.fixturePos[entry]);
        }
        // A negative code stands for "w" + code: a read that fails after part of the
        // data has arrived.
        if (forced && *forced < 0) {
            forced = -*forced;
            partialWrite = true;
        }
    }

    bool forcedFailure() const { return forced.has_value() && *forced != 0; }
    Session& session() { return s_.session; }

    sim::Scene scene;
    std::optional<int32_t> forced;
    bool partialWrite = false;

  private:
    std::lock_guard<std::mutex> lock_;
    Sim& s_;
};

QString lenArg(const int32_t* len) { return len ? QString::number(*len) : QStringLiteral("null"); }

// Copies as much of `bytes` as the caller's buffer holds and reports the count back.
int32_t deliver(const QByteArray& bytes, char* buffer, int32_t* bufLen) {
    if (buffer == nullptr || bufLen == nullptr || *bufLen < 0) return kBadParameter;
    const int32_t n = std::min<int32_t>(*bufLen, static_cast<int32_t>(bytes.size()));
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(n));
    *bufLen = n;
    return kOk;
}

// Buffers the card fills over what the caller put there.
template <typename Encode>
int32_t deliverOver(char* buffer, int32_t* bufLen, int size, Encode encode) {
    if (buffer == nullptr || bufLen == nullptr || *bufLen < 0) return kBadParameter;
    const int32_t n = std::min<int32_t>(*bufLen, size);
    QByteArray work(size, '\0');
    std::memcpy(work.data(), buffer, static_cast<size_t>(n));
    encode(work);
    std::memcpy(buffer, work.constData(), static_cast<size_t>(n));
    *bufLen = n;
    return kOk;
}

// Whether the patient card can be read. Like the real software, a read authenticates the
// SAM first when that has not happened yet, and fails with the authentication's code.
int32_t cardReady(Call& c, bool needsHpc) {
    if (!c.scene.card) return kNoCard;
    Session& s = c.session();
    if (!s.samAuthenticated) {
        if (!c.scene.sam.present) return kNoSam;
        if (!c.scene.sam.isSam) return kNotSam;
        if (c.scene.sam.verifyResult != kOk) return c.scene.sam.verifyResult;
        s.samAuthenticated = true;
    }
    if (needsHpc && !s.hpcVerified) return kPinNotVerified;
    return kOk;
}

// The common path of the patient-card reads.
template <typename Encode>
int32_t readCard(const char* name, char* buffer, int32_t* bufLen, Encode encode) {
    Call c(name, lenArg(bufLen));
    if (c.forcedFailure()) {
        if (c.partialWrite && cardReady(c, false) == kOk) {
            const QByteArray data = encode(*c.scene.card);
            (void)deliver(data.left(data.size() / 2), buffer, bufLen);
        }
        return *c.forced;
    }
    if (const int32_t r = cardReady(c, false); r != kOk) return r;
    return deliver(encode(*c.scene.card), buffer, bufLen);
}

}  // namespace

CSHIS_EXPORT int32_t CSHIS_API csOpenCom(int32_t comPort) {
    Call c("csOpenCom", QString::number(comPort));
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.reader.portOpens || comPort < 0) return kPortFailed;
    c.session().portOpen = true;
    return kOk;
}

CSHIS_EXPORT int32_t CSHIS_API csCloseCom() {
    Call c("csCloseCom", {});
    if (c.forcedFailure()) return *c.forced;
    c.session().portOpen = false;
    return kOk;
}

CSHIS_EXPORT int32_t CSHIS_API csSoftwareReset(int32_t resetType) {
    Call c("csSoftwareReset", QString::number(resetType));
    if (c.forcedFailure()) return *c.forced;
    // A reset forgets the port and both authentications.
    Session& s = c.session();
    s.portOpen = false;
    s.samAuthenticated = false;
    s.hpcVerified = false;
    return kOk;
}

#ifndef SIMCSHIS_PARTIAL
CSHIS_EXPORT int32_t CSHIS_API csGetVersionEx(char* hisPath) {
    // The path buffer is the caller's; it is neither read nor written.
    Call c("csGetVersionEx", hisPath ? QStringLiteral("buffer") : QStringLiteral("null"));
    if (c.forcedFailure()) return *c.forced;
    return c.scene.reader.version;
}
#endif

CSHIS_EXPORT int32_t CSHIS_API csVerifySAMDC() {
    Call c("csVerifySAMDC", {});
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.sam.present) return kNoSam;
    if (!c.scene.sam.isSam) return kNotSam;
    const int32_t r = c.scene.sam.verifyResult;
    c.session().samAuthenticated = r == kOk;
    return r;
}

CSHIS_EXPORT int32_t CSHIS_API hisGetCardStatus(int32_t cardType) {
    Call c("hisGetCardStatus", QString::number(cardType));
    if (c.forcedFailure()) return *c.forced;
    const Session& s = c.session();
    switch (cardType) {
        case 1:
            if (!c.scene.sam.present) return 0;
            if (!c.scene.sam.isSam) return 9;
            return s.samAuthenticated ? 2 : 1;
        case 2:
            return c.scene.card ? 1 : 0;
        case 3:
            if (!c.scene.hpc.present) return 0;
            if (c.scene.hpc.faulty) return 9;
            if (s.hpcVerified) return 3;
            return c.scene.hpc.status == 2 ? 2 : 1;
        default:
            return 0;
    }
}

CSHIS_EXPORT int32_t CSHIS_API hpcGetHPCSSN(char* buffer, int32_t* bufLen) {
    Call c("hpcGetHPCSSN", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.hpc.present) return kNoHpc;
    if (c.scene.hpc.faulty) return kNotHpc;
    if (!c.session().samAuthenticated) return kSamNotAuthenticated;
    QByteArray id(10, ' ');
    simcshis::putText(id.data(), 10, c.scene.hpc.id);
    return deliver(id, buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hpcVerifyHPCPIN() {
    Call c("hpcVerifyHPCPIN", {});
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.hpc.present) return kNoHpc;
    if (c.scene.hpc.faulty) return kNotHpc;
    Session& s = c.session();
    if (!s.samAuthenticated) return kSamNotAuthenticated;
    const int32_t r = next(c.scene.hpc.pinResults, s.pinIndex);
    if (r == kOk) s.hpcVerified = true;
    return r;
}

CSHIS_EXPORT int32_t CSHIS_API csGetHospID(char* buffer, int32_t* bufLen) {
    Call c("csGetHospID", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.sam.present) return kNoSam;
    if (!c.scene.sam.isSam) return kNotSam;
    QByteArray code(10, ' ');
    simcshis::putText(code.data(), 10, c.scene.sam.hospId);
    return deliver(code, buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetRegisterBasic(char* buffer, int32_t* bufLen) {
    return readCard("hisGetRegisterBasic", buffer, bufLen, simcshis::encodeBasic);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetCriticalIllness(char* buffer, int32_t* bufLen) {
    Call c("hisGetCriticalIllness", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (const int32_t r = cardReady(c, false); r != kOk) return r;
    const sim::PatientCard& card = *c.scene.card;
    return deliverOver(buffer, bufLen, simcshis::kCriticalIllnessSize,
                       [&](QByteArray& b) { simcshis::encodeCriticalIllness(card, b); });
}

CSHIS_EXPORT int32_t CSHIS_API hisGetTreatmentNoNeedHPC(char* buffer, int32_t* bufLen) {
    return readCard("hisGetTreatmentNoNeedHPC", buffer, bufLen, simcshis::encodeTreatmentNoNeedHpc);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetTreatmentNeedHPC(char* buffer, int32_t* bufLen) {
    Call c("hisGetTreatmentNeedHPC", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (const int32_t r = cardReady(c, true); r != kOk) return r;
    const sim::PatientCard& card = *c.scene.card;
    return deliverOver(buffer, bufLen, simcshis::kTreatmentNeedHpcSize,
                       [&](QByteArray& b) { simcshis::encodeTreatmentNeedHpc(card, b); });
}

#ifndef SIMCSHIS_PARTIAL
CSHIS_EXPORT int32_t CSHIS_API hisReadPrescription(
    char* outPatientPrescription, int32_t* bufLenOutPatient, char* longTermPrescriptions,
    int32_t* bufLenLongTerm, char* importantTreatmentCode, int32_t* bufLenImportant,
    char* irritationDrug, int32_t* bufLenIrritation) {
    Call c("hisReadPrescription",
           lenArg(bufLenOutPatient) + QLatin1Char(',') + lenArg(bufLenLongTerm) + QLatin1Char(',') +
               lenArg(bufLenImportant) + QLatin1Char(',') + lenArg(bufLenIrritation));
    if (c.forcedFailure()) return *c.forced;
    if (const int32_t r = cardReady(c, true); r != kOk) return r;
    for (const int32_t* len :
         {bufLenOutPatient, bufLenLongTerm, bufLenImportant, bufLenIrritation}) {
        if (len == nullptr || *len < 0) return kBadParameter;
    }
    for (const char* buf :
         {outPatientPrescription, longTermPrescriptions, importantTreatmentCode, irritationDrug}) {
        if (buf == nullptr) return kBadParameter;
    }
    const sim::PatientCard& p = *c.scene.card;
    deliver(simcshis::encodeOutPatientPrescription(p), outPatientPrescription, bufLenOutPatient);
    deliver(simcshis::encodeLongTermPrescription(p), longTermPrescriptions, bufLenLongTerm);
    deliver(simcshis::encodeImportantTreatment(p), importantTreatmentCode, bufLenImportant);
    deliver(simcshis::encodeAllergy(p), irritationDrug, bufLenIrritation);
    return kOk;
}
#endif

CSHIS_EXPORT int32_t CSHIS_API hisGetRegisterPrevent(char* buffer, int32_t* bufLen) {
    return readCard("hisGetRegisterPrevent", buffer, bufLen, simcshis::encodePrevent);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetRegisterPregnant(char* buffer, int32_t* bufLen) {
    Call c("hisGetRegisterPregnant", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (const int32_t r = cardReady(c, false); r != kOk) return r;
    if (c.scene.card->sex == QLatin1String("M")) return kMaleCard;
    return deliver(simcshis::encodePregnant(*c.scene.card), buffer, bufLen);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetCumulativeData(char* buffer, int32_t* bufLen) {
    return readCard("hisGetCumulativeData", buffer, bufLen, simcshis::encodeCumulativeData);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetCumulativeFee(char* buffer, int32_t* bufLen) {
    return readCard("hisGetCumulativeFee", buffer, bufLen, simcshis::encodeCumulativeFee);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetInoculateData(char* buffer, int32_t* bufLen) {
    return readCard("hisGetInoculateData", buffer, bufLen, simcshis::encodeInoculate);
}

CSHIS_EXPORT int32_t CSHIS_API hisGetOrganDonate(char* buffer, int32_t* bufLen) {
    return readCard("hisGetOrganDonate", buffer, bufLen, simcshis::encodeOrganDonate);
}

// ---- Controls for tests in the same process (reached with dlsym on the same handle) ----

// Forgets the calls, the forced results and the reader's session.
CSHIS_EXPORT void simcshisReset() {
    std::lock_guard<std::mutex> lock(simState().mutex);
    Sim& s = simState();
    s.session = Session{};
    s.log.clear();
    s.counts.clear();
    s.forced.clear();
    s.forcedPos.clear();
}

// Reads the fixture and the state file from `dir` instead (null or empty: the default).
CSHIS_EXPORT void simcshisSetDir(const char* dir) {
    std::lock_guard<std::mutex> lock(simState().mutex);
    simState().dirOverride = dir ? QString::fromLocal8Bit(dir) : QString();
    simState().session = Session{};
}

// Forces the results of `entry` from a comma-separated list such as "4000,4000,0",
// consumed in order, the last repeating; null or empty codes remove the forcing. A
// code written "w4000" makes a card read deliver the first half of its data first.
CSHIS_EXPORT void simcshisForce(const char* entry, const char* codes) {
    if (entry == nullptr) return;
    std::lock_guard<std::mutex> lock(simState().mutex);
    Sim& s = simState();
    const QString name = QString::fromLatin1(entry);
    QList<int32_t> seq;
    for (const QString& part : QString::fromLatin1(codes ? codes : "").split(QLatin1Char(','))) {
        bool ok = false;
        QString code = part.trimmed();
        const bool partial = code.startsWith(QLatin1Char('w'));
        if (partial) code.remove(0, 1);
        const int32_t v = code.toInt(&ok);
        if (ok && v > 0 && partial)
            seq << -v;
        else if (ok && !partial)
            seq << v;
    }
    s.forcedPos.remove(name);
    if (seq.isEmpty()) {
        s.forced.remove(name);
    } else {
        s.forced.insert(name, seq);
    }
}

// How often `entry` was called since the last reset (null: all calls).
CSHIS_EXPORT int simcshisCallCount(const char* entry) {
    std::lock_guard<std::mutex> lock(simState().mutex);
    if (entry == nullptr) return static_cast<int>(simState().log.size());
    return simState().counts.value(QString::fromLatin1(entry));
}

// The calls since the last reset, one "entry(arguments)" per line. Copies what fits into
// `buffer` (always zero-terminated when size > 0) and returns the full length.
CSHIS_EXPORT int simcshisCallLog(char* buffer, int size) {
    std::lock_guard<std::mutex> lock(simState().mutex);
    QByteArray text;
    for (const QString& line : simState().log) text += line.toUtf8() + '\n';
    if (buffer != nullptr && size > 0) {
        const int n = std::min(size - 1, static_cast<int>(text.size()));
        std::memcpy(buffer, text.constData(), static_cast<size_t>(n));
        buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
}
