#pragma once
// The production side of HealthPromotionLibrary: the helper library, loaded by plain
// name ("HpaBhp": HpaBhp.dll on Windows, libHpaBhp.so elsewhere), from the program's
// folder first. Its token export is "_hpaGetBhpApiToken@0" on 32-bit Windows and
// "hpaGetBhpApiToken" elsewhere.

#include <QString>
#include <memory>

#include "card/health_promotion_library.h"

class QLibrary;

class HpaBhpLibrary final : public HealthPromotionLibrary {
  public:
    static const char* const kTokenExport;

    explicit HpaBhpLibrary(QString programDir, QString baseName = QStringLiteral("HpaBhp"));
    ~HpaBhpLibrary() override;

    bool load() override;
    // Why the last load failed.
    QString loadError() const { return loadError_; }

    std::optional<int32_t> csOpenCom(int32_t port) override;
    std::optional<int32_t> csCloseCom() override;
    std::optional<int32_t> csGetHospID(char* buffer, int32_t* length) override;
    std::optional<int32_t> csGetCardNo(int32_t cardType, char* buffer, int32_t* length) override;
    std::optional<int32_t> hisGetBasicData(char* buffer, int32_t* length) override;
    std::optional<int32_t> hisGetRegisterPrevent(char* buffer, int32_t* length) override;
    std::optional<QByteArray> GetBhpApiToken() override;

  private:
    struct Entries;
    QString programDir_;
    QString baseName_;
    std::unique_ptr<QLibrary> lib_;
    std::unique_ptr<Entries> entries_;
    QString loadError_;
};
