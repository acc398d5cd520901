#pragma once
// In-process doubles of the two web services' helpers and of the HTTP exchange:
//
//   FakeHealthPromotionLibrary hpa;          // answers from its fields, logs its calls
//   hpa.failing.insert("hisGetRegisterPrevent");  // fails without touching its buffer
//   FakeVpnAddOn vpn;                        // card list, random, signature
//   RecordingHttpTransport http;             // records requests, answers from a queue
//   http.answer(200, R"({"status":true,"code":"00","description":"ok"})");

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "card/health_promotion_library.h"
#include "cloud/vpn_addon.h"
#include "common/http_transport.h"

class FakeHealthPromotionLibrary : public HealthPromotionLibrary {
  public:
    // The 72-byte basic data: card number at 0, name at 12, ID at 32, birth at 42.
    static QByteArray basicData(const QByteArray& cardNo, const QByteArray& id,
                                const QByteArray& birth);

    bool load() override { return loads; }
    std::optional<int32_t> csOpenCom(int32_t port) override;
    std::optional<int32_t> csCloseCom() override;
    std::optional<int32_t> csGetHospID(char* buffer, int32_t* length) override;
    std::optional<int32_t> csGetCardNo(int32_t cardType, char* buffer, int32_t* length) override;
    std::optional<int32_t> hisGetBasicData(char* buffer, int32_t* length) override;
    std::optional<int32_t> hisGetRegisterPrevent(char* buffer, int32_t* length) override;
    std::optional<QByteArray> GetBhpApiToken() override;

    bool loads = true;
    int32_t openResult = 0;
    QByteArray hospId = "3501200000";
    QByteArray samNo = "099000035012";
    QByteArray basic = basicData("000011870235", "B220715631", "0690815");
    QByteArray prevent = "03 1151021";
    // What hisGetRegisterPrevent reports as written; unset: the bytes' count.
    std::optional<int32_t> reportedPreventLength;
    // Tokens handed out in turn (the last repeats); nullopt: the library gives none.
    std::vector<std::optional<QByteArray>> tokens{QByteArray("TOKEN-1"), QByteArray("TOKEN-2")};
    // Export names whose calls fail with 1 and leave their buffer as it was.
    QSet<QString> failing;
    // Calls as "name(arguments)", e.g. "csOpenCom(0)", "hisGetBasicData(72)".
    QStringList calls;

  private:
    int32_t fill(const char* name, const QByteArray& bytes, char* buffer, int32_t* length);
    std::size_t tokenIndex_ = 0;
};

class FakeVpnAddOn : public VpnAddOn {
  public:
    std::unique_ptr<VpnAddOnSession> create() override;

    bool creatable = true;
    // nullopt: that call fails.
    std::optional<QString> cardList =
        QStringLiteral(R"({"AllCardsInfoInCS":{"SAM":[{"CARD_ID":"099000035012"}],)"
                       R"("HC":[{"CARD_ID":"000011870235"}]}})");
    std::optional<QString> random = QStringLiteral("RANDOM-1");
    std::optional<QString> signature = QStringLiteral("SIGNED-1");
    // What the component writes back into the random it is given to sign.
    std::optional<QString> rewrittenRandom;

    int created = 0;
    int released = 0;
    QStringList calls;  // "GetAllCardsInfoInCS", "VPNGetRandomX", "VPNH_SignX(random,1,90)"
};

class RecordingHttpTransport : public HttpTransport {
  public:
    HttpResponse exchange(const HttpRequest& request) override;

    // Queues a completed answer; answers are taken in order, the last repeating.
    void answer(int status, const QByteArray& body);
    // Queues an exchange that fails (connection, TLS, time-out).
    void fail(const QString& error);
    // Answers computed from the request instead of the queue.
    std::function<HttpResponse(const HttpRequest&)> handler;

    std::vector<HttpRequest> requests;

  private:
    std::deque<HttpResponse> queue_;
    HttpResponse last_;
};
