#pragma once
// The referral query: card identifiers, a client random and its signature from the
// VPN add-on component, then the patient's referrals from the insurer's SOAP
// service IPIE0000S01 (operation GetRefData), turned into the referral text.
//
// This class owns the signature values (CardId, SamId, ClientRandom, Signature)
// and the service's endpoint, cached after the first good description.

#include <QString>
#include <QUrl>
#include <optional>

#include "card/card_records.h"

class Clock;
class HttpTransport;
class Prompts;
class StatusSink;
class VpnAddOn;

class ReferralQuery {
  public:
    static inline const QString kCardListError =
        QStringLiteral("VPN服務加值應用元件GetAllCardsInfoInCS錯誤");
    static inline const QString kNoHost =
        QStringLiteral("未設定轉診查詢主機(tolvane.ini [endpoints] referralHost),不查詢雲端轉診");

    ReferralQuery(VpnAddOn& addOn, HttpTransport& http, Prompts& prompts, StatusSink& status,
                  Clock& clock);

    // host[:port] of the service; empty: not configured.
    void setHost(const QString& host);

    // Fills the four signature values from the component; false when its card list
    // was malformed and no request may go out. Values it could not get stay empty.
    bool getPTsignature(const QString& sType, const QString& sCode, const treadCard& nowCard);

    // The referral text, or std::nullopt when the query failed (nothing is said).
    std::optional<QString> GetRefDataJSON(const QString& sHospitalCode, const treadCard& ptData);

    // IPIE0000S01Soap.GetRefData: the reply text, or nullopt on any failure.
    std::optional<QString> GetRefData(const QString& json);

    QString CardId;
    QString SamId;
    QString ClientRandom;
    QString Signature;

  private:
    // The endpoint the service description names; only an https address is used.
    std::optional<QUrl> endpoint();

    VpnAddOn& addOn_;
    HttpTransport& http_;
    Prompts& prompts_;
    StatusSink& status_;
    Clock& clock_;
    QString host_;
    QUrl endpoint_;
    bool said_ = false;
};
