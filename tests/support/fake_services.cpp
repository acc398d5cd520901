#include "fake_services.h"

#include <algorithm>
#include <cstring>

QByteArray FakeHealthPromotionLibrary::basicData(const QByteArray& cardNo, const QByteArray& id,
                                                 const QByteArray& birth) {
    QByteArray b(72, ' ');
    b.replace(0, std::min<qsizetype>(12, cardNo.size()), cardNo.left(12));
    b.replace(32, std::min<qsizetype>(10, id.size()), id.left(10));
    b.replace(42, std::min<qsizetype>(7, birth.size()), birth.left(7));
    return b;
}

int32_t FakeHealthPromotionLibrary::fill(const char* name, const QByteArray& bytes, char* buffer,
                                         int32_t* length) {
    calls.append(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(*length));
    if (failing.contains(QLatin1String(name))) return 1;
    const int32_t n = std::min<int32_t>(*length, int32_t(bytes.size()));
    std::memcpy(buffer, bytes.constData(), size_t(n));
    *length = n;
    return 0;
}

std::optional<int32_t> FakeHealthPromotionLibrary::csOpenCom(int32_t port) {
    calls.append(QStringLiteral("csOpenCom(%1)").arg(port));
    return openResult;
}

std::optional<int32_t> FakeHealthPromotionLibrary::csCloseCom() {
    calls.append(QStringLiteral("csCloseCom()"));
    return 0;
}

std::optional<int32_t> FakeHealthPromotionLibrary::csGetHospID(char* buffer, int32_t* length) {
    return fill("csGetHospID", hospId, buffer, length);
}

std::optional<int32_t> FakeHealthPromotionLibrary::csGetCardNo(int32_t cardType, char* buffer, int32_t* length) {
    calls.append(QStringLiteral("csGetCardNo type %1").arg(cardType));
    return fill("csGetCardNo", samNo, buffer, length);
}

std::optional<int32_t> FakeHealthPromotionLibrary::hisGetBasicData(char* buffer, int32_t* length) {
    return fill("hisGetBasicData", basic, buffer, length);
}

std::optional<int32_t> FakeHealthPromotionLibrary::hisGetRegisterPrevent(char* buffer, int32_t* length) {
    const int32_t result = fill("hisGetRegisterPrevent", prevent, buffer, length);
    if (result == 0 && reportedPreventLength) *length = *reportedPreventLength;
    return result;
}

std::optional<QByteArray> FakeHealthPromotionLibrary::GetBhpApiToken() {
    calls.append(QStringLiteral("GetBhpApiToken()"));
    if (tokens.empty()) return std::nullopt;
    const std::optional<QByteArray> t = tokens[std::min(tokenIndex_, tokens.size() - 1)];
    ++tokenIndex_;
    return t;
}

namespace {

class FakeSession : public VpnAddOnSession {
  public:
    explicit FakeSession(FakeVpnAddOn& owner) : o_(owner) { ++o_.created; }
    ~FakeSession() override { ++o_.released; }
    std::optional<QString> GetAllCardsInfoInCS() override {
        o_.calls.append(QStringLiteral("GetAllCardsInfoInCS"));
        return o_.cardList;
    }
    std::optional<QString> VPNGetRandomX() override {
        o_.calls.append(QStringLiteral("VPNGetRandomX"));
        return o_.random;
    }
    std::optional<QString> VPNH_SignX(QString& random, const QString& type,
                                      const QString& code) override {
        o_.calls.append(QStringLiteral("VPNH_SignX(%1,%2,%3)").arg(random, type, code));
        if (o_.rewrittenRandom) random = *o_.rewrittenRandom;
        return o_.signature;
    }

  private:
    FakeVpnAddOn& o_;
};

}  // namespace

std::unique_ptr<VpnAddOnSession> FakeVpnAddOn::create() {
    if (!creatable) return nullptr;
    return std::make_unique<FakeSession>(*this);
}

HttpResponse RecordingHttpTransport::exchange(const HttpRequest& request) {
    requests.push_back(request);
    if (handler) return handler(request);
    if (!queue_.empty()) {
        last_ = queue_.front();
        queue_.pop_front();
    }
    return last_;
}

void RecordingHttpTransport::answer(int status, const QByteArray& body) {
    HttpResponse r;
    r.completed = true;
    r.status = status;
    r.body = body;
    queue_.push_back(r);
}

void RecordingHttpTransport::fail(const QString& error) {
    HttpResponse r;
    r.error = error;
    queue_.push_back(r);
}
