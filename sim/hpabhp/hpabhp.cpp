// The stand-in health-promotion card helper: the seven exports with C linkage,
// answering from the simulated card state of its folder (sim/cardstate) and the
// switches in "hpabhp-switches.txt" there (read on every call):
//   open-fails          csOpenCom answers 9205
//   fail <export>       that export answers 1 and leaves its buffer as it was
//   long-prevent        hisGetRegisterPrevent reports 300 bytes written
//   null-token          the token export returns a null pointer
// The exports are also logged: hpabhpCallLog copies the calls, one per line.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "card_state.h"
#include "encoder.h"

#if defined(_WIN32) && !defined(_WIN64)
#define HPA_API __stdcall
#else
#define HPA_API
#endif
#if defined(_WIN32)
#define HPA_EXPORT extern "C" __declspec(dllexport)
#else
#define HPA_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr int32_t kOk = 0;
constexpr int32_t kFailed = 1;
constexpr int32_t kNoCard = 4013;
constexpr int32_t kPortFailed = 9205;
constexpr int32_t kBadParameter = 6018;

struct State {
    std::mutex mutex;
    bool open = false;
    QByteArray token;
    QStringList log;
};

State& state() {
    static State s;
    return s;
}

QStringList switches(const QString& dir) {
    QFile f(QDir(dir).filePath(QStringLiteral("hpabhp-switches.txt")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    for (const QByteArray& l : f.readAll().split('\n')) {
        const QString s = QString::fromUtf8(l).simplified();
        if (!s.isEmpty()) lines << s;
    }
    return lines;
}

// One call: logs it and says whether it is switched to fail.
struct Call {
    explicit Call(const char* name, const QString& args = QString())
        : lock(state().mutex), dir(sim::CardState::defaultDir()), on(switches(dir)) {
        state().log << QStringLiteral("%1(%2)").arg(QLatin1String(name), args);
        failing = on.contains(QStringLiteral("fail ") + QLatin1String(name));
    }
    bool has(const char* s) const { return on.contains(QLatin1String(s)); }

    std::lock_guard<std::mutex> lock;
    QString dir;
    QStringList on;
    bool failing = false;
};

int32_t copyOut(const QByteArray& bytes, char* buffer, int32_t* length) {
    if (buffer == nullptr || length == nullptr || *length < 0) return kBadParameter;
    const int32_t n = std::min<int32_t>(*length, int32_t(bytes.size()));
    std::memcpy(buffer, bytes.constData(), size_t(n));
    *length = n;
    return kOk;
}

}  // namespace

HPA_EXPORT int32_t HPA_API csOpenCom(int32_t port) {
    Call c("csOpenCom", QString::number(port));
    if (c.failing || c.has("open-fails")) return kPortFailed;
    state().open = true;
    return kOk;
}

HPA_EXPORT int32_t HPA_API csCloseCom() {
    Call c("csCloseCom");
    state().open = false;
    return kOk;
}

HPA_EXPORT int32_t HPA_API csGetHospID(char* buffer, int32_t* length) {
    Call c("csGetHospID", length ? QString::number(*length) : QString());
    if (c.failing) return kFailed;
    const sim::Scene scene = sim::CardState::scene(c.dir);
    QByteArray out(10, ' ');
    simcshis::putText(out.data(), 10, scene.sam.hospId);
    return copyOut(out, buffer, length);
}

HPA_EXPORT int32_t HPA_API csGetCardNo(int32_t cardType, char* buffer, int32_t* length) {
    Call c("csGetCardNo", QStringLiteral("%1,%2").arg(cardType).arg(length ? *length : -1));
    if (c.failing || cardType != 1) return kFailed;
    const sim::Scene scene = sim::CardState::scene(c.dir);
    QByteArray out(12, ' ');
    simcshis::putText(out.data(), 12, scene.sam.cardId);
    return copyOut(out, buffer, length);
}

HPA_EXPORT int32_t HPA_API hisGetBasicData(char* buffer, int32_t* length) {
    Call c("hisGetBasicData", length ? QString::number(*length) : QString());
    if (c.failing) return kFailed;
    const std::optional<sim::PatientCard> card = sim::CardState::load(c.dir);
    if (!card) return kNoCard;
    return copyOut(simcshis::encodeBasicData(*card), buffer, length);
}

HPA_EXPORT int32_t HPA_API hisGetRegisterPrevent(char* buffer, int32_t* length) {
    Call c("hisGetRegisterPrevent", length ? QString::number(*length) : QString());
    if (c.failing) return kFailed;
    const std::optional<sim::PatientCard> card = sim::CardState::load(c.dir);
    if (!card) return kNoCard;
    QByteArray bytes = simcshis::encodePrevent(*card);
    // Only the entries the card holds count as written.
    qsizetype used = bytes.size();
    while (used > 0 && (bytes[used - 1] == ' ' || bytes[used - 1] == '\0')) --used;
    bytes.truncate(used);
    const int32_t result = copyOut(bytes, buffer, length);
    if (result == kOk && c.has("long-prevent")) *length = 300;
    return result;
}

HPA_EXPORT const char* HPA_API hpaGetBhpApiToken() {
    Call c("hpaGetBhpApiToken");
    if (c.has("null-token")) return nullptr;
    // A new token for every request, as the real helper hands out.
    state().token = QStringLiteral("BHP-%1")
                        .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'))
                        .toLatin1();
    return state().token.constData();
}

// For tests: the calls since the last reset, one per line; copies what fits
// (zero-terminated) and returns the full length.
HPA_EXPORT int hpabhpCallLog(char* buffer, int size) {
    std::lock_guard lock(state().mutex);
    const QByteArray text = state().log.join(QLatin1Char('\n')).toUtf8();
    if (buffer != nullptr && size > 0) {
        const int n = std::min<int>(size - 1, int(text.size()));
        std::memcpy(buffer, text.constData(), size_t(n));
        buffer[n] = '\0';
    }
    return int(text.size());
}

HPA_EXPORT void hpabhpReset() {
    std::lock_guard lock(state().mutex);
    state().log.clear();
    state().open = false;
}
