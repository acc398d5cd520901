#pragma once
// The health-promotion administration's card helper: it opens the reader on its own,
// gives the institution code, the SAM's card number, the patient's basic data and
// preventive-care bytes, and the access token of its web API.
//
// Production loads the library by plain name ("HpaBhp": HpaBhp.dll on Windows,
// libHpaBhp.so elsewhere), from the program's folder first. Its token export is
// "_hpaGetBhpApiToken@0" on 32-bit Windows and "hpaGetBhpApiToken" elsewhere.

#include <QLibrary>
#include <QString>
#include <cstdint>
#include <memory>

class HealthPromotionLibrary {
  public:
    virtual ~HealthPromotionLibrary() = default;

    // True when the library is (now) loaded with every export; false after a
    // failed attempt, which is tried again at the next call.
    virtual bool available() = 0;
    virtual int32_t csOpenCom(int32_t port) = 0;
    virtual int32_t csCloseCom() = 0;
    virtual int32_t csGetHospID(char* buffer, int32_t* length) = 0;
    virtual int32_t csGetCardNo(int32_t cardType, char* buffer, int32_t* length) = 0;
    virtual int32_t hisGetBasicData(char* buffer, int32_t* length) = 0;
    // Writes the number of bytes it returned into *length.
    virtual int32_t hisGetRegisterPrevent(char* buffer, int32_t* length) = 0;
    // A zero-terminated CP950 text owned by the library, or null.
    virtual const char* GetBhpApiToken() = 0;
};

class HpaBhpLibrary : public HealthPromotionLibrary {
  public:
    static const char* const kTokenExport;

    explicit HpaBhpLibrary(QString programDir, QString baseName = QStringLiteral("HpaBhp"));
    ~HpaBhpLibrary() override;

    bool available() override;
    // Why the last load failed.
    QString loadError() const { return loadError_; }

    int32_t csOpenCom(int32_t port) override;
    int32_t csCloseCom() override;
    int32_t csGetHospID(char* buffer, int32_t* length) override;
    int32_t csGetCardNo(int32_t cardType, char* buffer, int32_t* length) override;
    int32_t hisGetBasicData(char* buffer, int32_t* length) override;
    int32_t hisGetRegisterPrevent(char* buffer, int32_t* length) override;
    const char* GetBhpApiToken() override;

  private:
    struct Entries;
    QString programDir_;
    QString baseName_;
    std::unique_ptr<QLibrary> lib_;
    std::unique_ptr<Entries> entries_;
    QString loadError_;
};
