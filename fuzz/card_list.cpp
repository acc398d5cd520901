// The VPN add-on component's card list, and the referral request built from the
// identifiers it gives: the request reads back with every value as it went in.
#include <QJsonDocument>
#include <QJsonObject>
#include <cstddef>
#include <cstdint>

#include "cloud/referral_documents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<referral::CardIds> ids = referral::parseCardList(text);

    referral::Request request;
    request.sCardId = ids ? ids->cardId : text;
    request.sSamId = ids ? ids->samId : text;
    request.sClientRandom = text;
    const QJsonObject o = QJsonDocument::fromJson(referral::requestJson(request)).object();
    if (o.size() != 9 || o.value(QStringLiteral("sCardId")).toString() != request.sCardId ||
        o.value(QStringLiteral("sSamId")).toString() != request.sSamId ||
        o.value(QStringLiteral("sClientRandom")).toString() != text)
        __builtin_trap();
    return 0;
}
