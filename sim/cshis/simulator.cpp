#include "simulator.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <cstring>
#include <mutex>
#include <optional>

#include "card_state.h"
#include "encoder.h"

namespace simcshis {
namespace {

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

}  // namespace

struct Simulator::State {
    mutable std::mutex mutex;
    QString dirOverride;
    Session session;
    QStringList log;
    QHash<QString, int> counts;
    QHash<QString, QList<int32_t>> forced;  // set by a test; before the fixture's
    QHash<QString, int> forcedPos;
    // entry -> (the call that finds the other card, the card's key)
    QHash<QString, QPair<int, QString>> swaps;
};

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

int32_t next(const QList<int32_t>& seq, int& pos) {
    const int32_t code = seq[std::min<int>(pos, static_cast<int>(seq.size()) - 1)];
    if (pos < seq.size()) ++pos;
    return code;
}

// One entry-point call: holds the lock, the scene and the forced result.
class Call {
  public:
    Call(Simulator::State& state, const char* name, const QString& args)
        : lock_(state.mutex), s_(state) {
        const QString dir =
            s_.dirOverride.isEmpty() ? sim::CardState::defaultDir() : s_.dirOverride;
        const QString entry = QString::fromLatin1(name);
        // A card put in by the patient's hand just before this call.
        if (auto swap = s_.swaps.find(entry);
            swap != s_.swaps.end() && s_.counts.value(entry) + 1 == swap->first) {
            sim::CardState::insert(dir, swap->second);
            s_.swaps.erase(swap);
        }
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
    Simulator::State& s_;
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
int32_t readCard(Simulator::State& state, const char* name, char* buffer, int32_t* bufLen,
                 Encode encode) {
    Call c(state, name, lenArg(bufLen));
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

Simulator::Simulator() : state_(std::make_unique<State>()) {}
Simulator::~Simulator() = default;

int32_t Simulator::csOpenCom(int32_t comPort) {
    Call c(*state_, "csOpenCom", QString::number(comPort));
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.reader.portOpens || comPort < 0) return kPortFailed;
    c.session().portOpen = true;
    return kOk;
}

int32_t Simulator::csCloseCom() {
    Call c(*state_, "csCloseCom", {});
    if (c.forcedFailure()) return *c.forced;
    c.session().portOpen = false;
    return kOk;
}

int32_t Simulator::csSoftwareReset(int32_t resetType) {
    Call c(*state_, "csSoftwareReset", QString::number(resetType));
    if (c.forcedFailure()) return *c.forced;
    // A reset forgets the port and both authentications.
    Session& s = c.session();
    s.portOpen = false;
    s.samAuthenticated = false;
    s.hpcVerified = false;
    return kOk;
}

int32_t Simulator::csGetVersionEx(char* hisPath) {
    // The path buffer is the caller's; it is neither read nor written.
    Call c(*state_, "csGetVersionEx", hisPath ? QStringLiteral("buffer") : QStringLiteral("null"));
    if (c.forcedFailure()) return *c.forced;
    return c.scene.reader.version;
}

int32_t Simulator::csVerifySAMDC() {
    Call c(*state_, "csVerifySAMDC", {});
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.sam.present) return kNoSam;
    if (!c.scene.sam.isSam) return kNotSam;
    const int32_t r = c.scene.sam.verifyResult;
    c.session().samAuthenticated = r == kOk;
    return r;
}

int32_t Simulator::hisGetCardStatus(int32_t cardType) {
    Call c(*state_, "hisGetCardStatus", QString::number(cardType));
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

int32_t Simulator::hpcGetHPCSSN(char* buffer, int32_t* bufLen) {
    Call c(*state_, "hpcGetHPCSSN", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.hpc.present) return kNoHpc;
    if (c.scene.hpc.faulty) return kNotHpc;
    if (!c.session().samAuthenticated) return kSamNotAuthenticated;
    QByteArray id(10, ' ');
    putText(id.data(), 10, c.scene.hpc.id);
    return deliver(id, buffer, bufLen);
}

int32_t Simulator::hpcVerifyHPCPIN() {
    Call c(*state_, "hpcVerifyHPCPIN", {});
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.hpc.present) return kNoHpc;
    if (c.scene.hpc.faulty) return kNotHpc;
    Session& s = c.session();
    if (!s.samAuthenticated) return kSamNotAuthenticated;
    const int32_t r = next(c.scene.hpc.pinResults, s.pinIndex);
    if (r == kOk) s.hpcVerified = true;
    return r;
}

int32_t Simulator::csGetHospID(char* buffer, int32_t* bufLen) {
    Call c(*state_, "csGetHospID", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (!c.scene.sam.present) return kNoSam;
    if (!c.scene.sam.isSam) return kNotSam;
    QByteArray code(10, ' ');
    putText(code.data(), 10, c.scene.sam.hospId);
    return deliver(code, buffer, bufLen);
}

int32_t Simulator::hisGetRegisterBasic(char* buffer, int32_t* bufLen) {
    return readCard(*state_, "hisGetRegisterBasic", buffer, bufLen, encodeBasic);
}

int32_t Simulator::hisGetCriticalIllness(char* buffer, int32_t* bufLen) {
    Call c(*state_, "hisGetCriticalIllness", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (const int32_t r = cardReady(c, false); r != kOk) return r;
    const sim::PatientCard& card = *c.scene.card;
    return deliverOver(buffer, bufLen, kCriticalIllnessSize,
                       [&](QByteArray& b) { encodeCriticalIllness(card, b); });
}

int32_t Simulator::hisGetTreatmentNoNeedHPC(char* buffer, int32_t* bufLen) {
    return readCard(*state_, "hisGetTreatmentNoNeedHPC", buffer, bufLen, encodeTreatmentNoNeedHpc);
}

int32_t Simulator::hisGetTreatmentNeedHPC(char* buffer, int32_t* bufLen) {
    Call c(*state_, "hisGetTreatmentNeedHPC", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (const int32_t r = cardReady(c, true); r != kOk) return r;
    const sim::PatientCard& card = *c.scene.card;
    return deliverOver(buffer, bufLen, kTreatmentNeedHpcSize,
                       [&](QByteArray& b) { encodeTreatmentNeedHpc(card, b); });
}

int32_t Simulator::hisReadPrescription(char* outPatientPrescription, int32_t* bufLenOutPatient,
                                       char* longTermPrescriptions, int32_t* bufLenLongTerm,
                                       char* importantTreatmentCode, int32_t* bufLenImportant,
                                       char* irritationDrug, int32_t* bufLenIrritation) {
    Call c(*state_, "hisReadPrescription",
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
    deliver(encodeOutPatientPrescription(p), outPatientPrescription, bufLenOutPatient);
    deliver(encodeLongTermPrescription(p), longTermPrescriptions, bufLenLongTerm);
    deliver(encodeImportantTreatment(p), importantTreatmentCode, bufLenImportant);
    deliver(encodeAllergy(p), irritationDrug, bufLenIrritation);
    return kOk;
}

int32_t Simulator::hisGetRegisterPrevent(char* buffer, int32_t* bufLen) {
    return readCard(*state_, "hisGetRegisterPrevent", buffer, bufLen, encodePrevent);
}

int32_t Simulator::hisGetRegisterPregnant(char* buffer, int32_t* bufLen) {
    Call c(*state_, "hisGetRegisterPregnant", lenArg(bufLen));
    if (c.forcedFailure()) return *c.forced;
    if (const int32_t r = cardReady(c, false); r != kOk) return r;
    if (c.scene.card->sex == QLatin1String("M")) return kMaleCard;
    return deliver(encodePregnant(*c.scene.card), buffer, bufLen);
}

int32_t Simulator::hisGetCumulativeData(char* buffer, int32_t* bufLen) {
    return readCard(*state_, "hisGetCumulativeData", buffer, bufLen, encodeCumulativeData);
}

int32_t Simulator::hisGetCumulativeFee(char* buffer, int32_t* bufLen) {
    return readCard(*state_, "hisGetCumulativeFee", buffer, bufLen, encodeCumulativeFee);
}

int32_t Simulator::hisGetInoculateData(char* buffer, int32_t* bufLen) {
    return readCard(*state_, "hisGetInoculateData", buffer, bufLen, encodeInoculate);
}

int32_t Simulator::hisGetOrganDonate(char* buffer, int32_t* bufLen) {
    return readCard(*state_, "hisGetOrganDonate", buffer, bufLen, encodeOrganDonate);
}

void Simulator::reset() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    State& s = *state_;
    s.session = Session{};
    s.log.clear();
    s.counts.clear();
    s.forced.clear();
    s.forcedPos.clear();
    s.swaps.clear();
}

void Simulator::swapCardAt(const QString& entry, int call, const QString& key) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    State& s = *state_;
    if (call <= 0) {
        s.swaps.remove(entry);
        return;
    }
    s.swaps.insert(entry, qMakePair(s.counts.value(entry) + call, key));
}

void Simulator::setDir(const QString& dir) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->dirOverride = dir;
    state_->session = Session{};
}

void Simulator::force(const QString& entry, const QString& codes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    State& s = *state_;
    QList<int32_t> seq;
    for (const QString& part : codes.split(QLatin1Char(','))) {
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
    s.forcedPos.remove(entry);
    if (seq.isEmpty()) {
        s.forced.remove(entry);
    } else {
        s.forced.insert(entry, seq);
    }
}

int Simulator::callCount(const QString& entry) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (entry.isEmpty()) return static_cast<int>(state_->log.size());
    return state_->counts.value(entry);
}

QStringList Simulator::callLog() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->log;
}

}  // namespace simcshis
