// The stand-in VPN add-on component: a library with the component's three
// operations (C interface in app/cloud/vpn_addon.h), answering from the simulated
// card state of its folder and the switches in "vpnaddon-switches.txt" there:
//   not-creatable       vpnCreate gives null
//   empty-list          GetAllCardsInfoInCS gives empty text
//   malformed-list      GetAllCardsInfoInCS gives text that is not JSON
//   empty-array         the card list's "HC" array is empty
//   fail <operation>    GetAllCardsInfoInCS, VPNGetRandomX or VPNH_SignX fails
// Every operation reads the card state again, so a card swapped between the calls
// shows in what they return, as it would in the reader.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>

#include "card_state.h"
#include "signature.h"

#define VPN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Component {
    int magic = 0x56504e41;
};

std::atomic<int> liveComponents{0};

QStringList switches() {
    QFile f(QDir(sim::CardState::defaultDir()).filePath(QStringLiteral("vpnaddon-switches.txt")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    for (const QByteArray& l : f.readAll().split('\n')) {
        const QString s = QString::fromUtf8(l).simplified();
        if (!s.isEmpty()) lines << s;
    }
    return lines;
}

bool valid(void* component) {
    return component != nullptr && static_cast<Component*>(component)->magic == 0x56504e41;
}

int copyOut(const QByteArray& text, char* out, int size) {
    if (out != nullptr && size > 0) {
        const int n = std::min<int>(size - 1, int(text.size()));
        std::memcpy(out, text.constData(), size_t(n));
        out[n] = '\0';
    }
    return int(text.size());
}

// "huge-length <operation>": the operation copies what fits and says its text is
// INT_MAX bytes long.
bool hugeLength(const QStringList& on, const char* operation) {
    return on.contains(QStringLiteral("huge-length ") + QLatin1String(operation));
}

}  // namespace

VPN_EXPORT void* vpnCreate() {
    if (switches().contains(QStringLiteral("not-creatable"))) return nullptr;
    ++liveComponents;
    return new Component;
}

VPN_EXPORT void vpnRelease(void* component) {
    if (!valid(component)) return;
    static_cast<Component*>(component)->magic = 0;
    delete static_cast<Component*>(component);
    --liveComponents;
}

VPN_EXPORT int vpnGetAllCardsInfoInCS(void* component, char* out, int size) {
    const QStringList on = switches();
    if (!valid(component) || on.contains(QStringLiteral("fail GetAllCardsInfoInCS"))) return -1;
    if (on.contains(QStringLiteral("empty-list"))) return copyOut(QByteArray(), out, size);
    if (hugeLength(on, "GetAllCardsInfoInCS")) {
        copyOut("{}", out, size);
        return INT_MAX;
    }
    if (on.contains(QStringLiteral("malformed-list")))
        return copyOut("{\"AllCardsInfoInCS\":{\"SAM\":[{\"CARD_ID\":", out, size);
    const QString dir = sim::CardState::defaultDir();
    const sim::Scene scene = sim::CardState::scene(dir);
    QJsonArray sam;
    if (scene.sam.present) sam.append(QJsonObject{{"CARD_ID", scene.sam.cardId}});
    QJsonArray hc;
    if (scene.card && !on.contains(QStringLiteral("empty-array")))
        hc.append(QJsonObject{{"CARD_ID", scene.card->cardNo}});
    const QJsonObject list{{"AllCardsInfoInCS", QJsonObject{{"SAM", sam}, {"HC", hc}}}};
    return copyOut(QJsonDocument(list).toJson(QJsonDocument::Compact), out, size);
}

VPN_EXPORT int vpnGetRandomX(void* component, char* out, int size) {
    const QStringList on = switches();
    if (!valid(component) || on.contains(QStringLiteral("fail VPNGetRandomX"))) return -1;
    if (hugeLength(on, "VPNGetRandomX")) {
        copyOut("RND", out, size);
        return INT_MAX;
    }
    const QString random = QStringLiteral("RND%1").arg(QRandomGenerator::global()->generate64(), 16,
                                                       16, QLatin1Char('0'));
    return copyOut(random.toUtf8(), out, size);
}

VPN_EXPORT int vpnSignX(void* component, char* random, int randomSize, const char* type,
                        const char* code, char* out, int size) {
    if (!valid(component) || random == nullptr || randomSize <= 0 || type == nullptr ||
        code == nullptr || switches().contains(QStringLiteral("fail VPNH_SignX")))
        return -1;
    if (hugeLength(switches(), "VPNH_SignX")) {
        copyOut("SIG", out, size);
        return INT_MAX;
    }
    if (std::strcmp(type, "1") != 0 || std::strcmp(code, "90") != 0) return -1;
    const sim::Scene scene = sim::CardState::scene(sim::CardState::defaultDir());
    if (!scene.card) return -1;
    const QString r = QString::fromUtf8(random, int(strnlen(random, size_t(randomSize))));
    return copyOut(simsign::signature(r, scene.card->cardNo, scene.sam.cardId).toUtf8(), out, size);
}

// For tests: components made and not yet released.
VPN_EXPORT int vpnLiveComponents() { return liveComponents; }
