#include "card/adult_prevent.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QUrl>
#include <algorithm>
#include <cstring>

#include "card/health_promotion_library.h"
#include "common/card_text.h"
#include "common/codepage.h"
#include "common/http_transport.h"
#include "common/json_writer.h"
#include "common/prompts.h"

namespace adult_prevent {

QByteArray requestJson(const QString& token, std::optional<bool> agree, const THCdata& data) {
    OrderedJsonObject person;
    person.add(QStringLiteral("HospId"), data.HospID)
        .add(QStringLiteral("SamId"), data.SamID)
        .add(QStringLiteral("CardId"), data.HCSN)
        .add(QStringLiteral("Birth"), data.BirthYM)
        .add(QStringLiteral("Pid"), data.ID)
        .add(QStringLiteral("RegisterPrevent"), data.PreventData);
    OrderedJsonObject doc;
    doc.add(QStringLiteral("Token"), token)
        .add(QStringLiteral("Agree"), agree ? QJsonValue(*agree) : QJsonValue(QJsonValue::Null))
        .add(QStringLiteral("Person"), person);
    return doc.toJson();
}

QString DecodeUtf8Str(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

ParsedAnswer parseAnswer(const QByteArray& utf8) {
    ParsedAnswer parsed;
    const QJsonDocument doc = QJsonDocument::fromJson(DecodeUtf8Str(utf8).toUtf8());
    if (!doc.isObject()) return parsed;
    const QJsonObject o = doc.object();
    const QJsonValue status = o.value(QStringLiteral("status"));
    const QJsonValue code = o.value(QStringLiteral("code"));
    const QJsonValue description = o.value(QStringLiteral("description"));
    if (!status.isBool() || !code.isString() || !description.isString()) {
        parsed.shape = AnswerShape::BadMembers;
        return parsed;
    }
    parsed.shape = AnswerShape::Complete;
    parsed.response.Status = status.toBool();
    parsed.response.sCode = code.toString();
    parsed.response.Description = description.toString();
    return parsed;
}

bool asksConsent(const QString& code) {
    // The second test takes three characters from the second on, so it holds only
    // for a three-character code ending in "04" (A04), not for 0040 or A040.
    return code.mid(0, 2) == QLatin1String("04") || code.mid(1, 3) == QLatin1String("04");
}

}  // namespace adult_prevent

using namespace adult_prevent;

AdultPreventQuery::AdultPreventQuery(HealthPromotionLibrary& library, HttpTransport& http,
                                     Prompts& prompts)
    : library_(library), http_(http), prompts_(prompts) {}

void AdultPreventQuery::sayOnce(const QString& text) {
    if (said_) return;
    said_ = true;
    prompts_.message(text);
}

QString AdultPreventQuery::getAdultPrevent(const std::function<bool()>& readBasicData) {
    if (host_.isEmpty()) {
        sayOnce(kNoHost);
        return QString();
    }
    if (!library_.load()) {
        sayOnce(kNoLibrary);
        return QString();
    }
    if (!GetHcData(readBasicData)) return kNoCardData;
    const std::optional<TApiResponse> answer = RequestApiX(kValidAction);
    return answer ? answer->Description : QString();
}

bool AdultPreventQuery::GetHcData(const std::function<bool()>& readBasicData) {
    if (!readBasicData || !readBasicData()) return false;
    if (library_.csOpenCom(0) != 0) {
        prompts_.message(kCannotOpenReader);
        return false;
    }
    // Every buffer starts zeroed, so a call that fails sends nothing of an
    // earlier call or an earlier patient.
    char hospId[kHospIdBytes] = {};
    int32_t length = kHospIdBytes;
    library_.csGetHospID(hospId, &length);
    HCdata.HospID = GetFromBuffer(hospId, kHospIdBytes);

    char cardNo[kCardNoBytes] = {};
    length = kCardNoBytes;
    library_.csGetCardNo(1, cardNo, &length);
    HCdata.SamID = GetFromBuffer(cardNo, kCardNoBytes);

    char area[kAreaBytes] = {};
    length = kBasicDataBytes;
    library_.hisGetBasicData(area, &length);
    const QByteArrayView basic(area, kAreaBytes);
    HCdata.HCSN = BytesToString(basic, 0, 12);
    HCdata.ID = BytesToString(basic, 32, 10);
    HCdata.BirthYM = BytesToString(basic, 42, 7);

    std::memset(area, 0, sizeof area);
    length = kPreventBytes;
    library_.hisGetRegisterPrevent(area, &length);
    // The library reports how much it wrote; never believe more than the buffer.
    const int written = std::clamp<int32_t>(length, 0, kPreventBytes);
    HCdata.PreventData = BytesToString(basic, 0, written);

    library_.csCloseCom();
    return true;
}

std::optional<TApiResponse> AdultPreventQuery::post(const QString& action,
                                                    std::optional<bool> agree) {
    const std::optional<QByteArray> tokenText = library_.GetBhpApiToken();
    const QString token = tokenText ? fromAnsi(*tokenText) : QString();

    HttpRequest request;
    request.method = "POST";
    request.url = QUrl(QStringLiteral("https://") + host_ + kApiPath + action);
    request.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/json")));
    request.body = toAnsi(QString::fromUtf8(requestJson(token, agree, HCdata)));
    const HttpResponse response = http_.exchange(request);
    if (!response.ok()) {
        prompts_.message(response.failure());
        return TApiResponse{};
    }
    const ParsedAnswer parsed = parseAnswer(response.body);
    if (parsed.shape == AnswerShape::BadMembers) {
        prompts_.message(kBadAnswer);
        return std::nullopt;
    }
    return parsed.response;
}

std::optional<TApiResponse> AdultPreventQuery::RequestApiX(const QString& action) {
    const std::optional<TApiResponse> first = post(action, std::nullopt);
    if (!first || !asksConsent(first->sCode)) return first;
    // A box closed without an answer is no consent.
    const bool agree = prompts_.warningQuestion(kConsentQuestion) == Prompts::Answer::Yes;
    return post(action, agree);
}
