#include "cloud/referral_query.h"

#include "cloud/referral_documents.h"
#include "cloud/vpn_addon.h"
#include "common/clock.h"
#include "common/http_transport.h"
#include "common/prompts.h"
#include "common/status_sink.h"

ReferralQuery::ReferralQuery(VpnAddOn& addOn, HttpTransport& http, Prompts& prompts,
                             StatusSink& status, Clock& clock)
    : addOn_(addOn), http_(http), prompts_(prompts), status_(status), clock_(clock) {}

void ReferralQuery::setHost(const QString& host) {
    if (host != host_) endpoint_.clear();
    host_ = host;
}

bool ReferralQuery::getPTsignature(const QString& sType, const QString& sCode,
                                   const treadCard& nowCard) {
    // Nothing of the previous patient may go out with this one's request.
    CardId.clear();
    SamId.clear();
    ClientRandom.clear();
    Signature.clear();

    QString cardList;
    {
        const std::unique_ptr<VpnAddOnSession> component = addOn_.create();
        if (!component) return true;
        // A failing call ends the calls; what came before it is kept.
        if (const auto list = component->GetAllCardsInfoInCS()) {
            cardList = *list;
            if (const auto random = component->VPNGetRandomX()) {
                ClientRandom = *random;
                if (const auto signature = component->VPNH_SignX(ClientRandom, sType, sCode)) {
                    Signature = *signature;
                    SamId = nowCard.A16SAMID;
                }
            }
        }
    }
    if (cardList.isEmpty()) {
        prompts_.message(kCardListError);
        return true;
    }
    const std::optional<referral::CardIds> ids = referral::parseCardList(cardList);
    if (!ids) return false;
    SamId = ids->samId;
    CardId = ids->cardId;
    return true;
}

std::optional<QString> ReferralQuery::GetRefDataJSON(const QString& sHospitalCode,
                                                     const treadCard& ptData) {
    if (host_.isEmpty()) {
        if (!said_) prompts_.message(kNoHost);
        said_ = true;
        return std::nullopt;
    }
    if (!getPTsignature(QStringLiteral("1"), QStringLiteral("90"), ptData)) return std::nullopt;

    referral::Request request;
    request.sHospId = sHospitalCode;
    request.sPatId = ptData.A12ID;
    request.sCardId = CardId;
    request.sClientRandom = ClientRandom;
    request.sSignature = Signature;
    request.sSamId = SamId;
    const QString json = QString::fromUtf8(referral::requestJson(request));

    std::optional<QString> reply;
    {
        BusyCursor busy(status_);
        clock_.pump();
        reply = GetRefData(json);
    }
    if (!reply) return std::nullopt;
    return referral::referralText(*reply);
}

std::optional<QUrl> ReferralQuery::endpoint() {
    if (!endpoint_.isEmpty()) return endpoint_;
    HttpRequest request;
    request.url = QUrl(QStringLiteral("https://") + host_ + referral::kDescriptionPath +
                       QStringLiteral("?wsdl"));
    const HttpResponse response = http_.exchange(request);
    if (!response.ok()) return std::nullopt;
    const QUrl address(referral::serviceEndpoint(response.body), QUrl::StrictMode);
    // Only an encrypted, verified connection may carry the patient's data.
    if (!address.isValid() || address.scheme() != QLatin1String("https") ||
        address.host().isEmpty())
        return std::nullopt;
    endpoint_ = address;
    return endpoint_;
}

std::optional<QString> ReferralQuery::GetRefData(const QString& json) {
    const std::optional<QUrl> url = endpoint();
    if (!url) return std::nullopt;
    HttpRequest request;
    request.method = "POST";
    request.url = *url;
    request.headers.append(
        qMakePair(QByteArray("Content-Type"), QByteArray("text/xml; charset=utf-8")));
    request.headers.append(qMakePair(QByteArray("SOAPAction"), referral::kSoapAction));
    request.body = referral::soapEnvelope(json);
    const HttpResponse response = http_.exchange(request);
    // A SOAP fault comes with status 500; it is a failure like any other.
    if (!response.ok()) return std::nullopt;
    return referral::soapResult(response.body);
}
