// The eligibility API's answer, and the request document written around a token
// that comes from outside: whatever the token holds, the request reads back with
// it as one string member.
#include <QJsonDocument>
#include <QJsonObject>
#include <cstddef>
#include <cstdint>

#include "card/adult_prevent.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const adult_prevent::ParsedAnswer answer = adult_prevent::parseAnswer(bytes);
    if (answer.shape != adult_prevent::AnswerShape::Complete &&
        (answer.response.Status || !answer.response.sCode.isEmpty()))
        __builtin_trap();
    (void)adult_prevent::asksConsent(answer.response.sCode);

    const QString token = QString::fromUtf8(bytes);
    THCdata person;
    person.PreventData = token;
    const QJsonObject request =
        QJsonDocument::fromJson(adult_prevent::requestJson(token, true, person)).object();
    if (request.value(QStringLiteral("Token")).toString() != token ||
        request.value(QStringLiteral("Person"))
                .toObject()
                .value(QStringLiteral("RegisterPrevent")) != token ||
        request.value(QStringLiteral("Agree")) != true)
        __builtin_trap();
    return 0;
}
