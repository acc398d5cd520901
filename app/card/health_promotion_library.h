#pragma once
// The health-promotion administration's card helper: it opens the reader on its own,
// gives the institution code, the SAM's card number, the patient's basic data and
// preventive-care bytes, and the access token of its web API.
//
// Production is HpaBhpLibrary (hpabhp_library.h); the tests use an in-process fake. As
// with every partner, a call answers std::nullopt when the partner is not there (the
// library is not loaded), and then nothing was called.

#include <QByteArray>
#include <cstdint>
#include <optional>

class HealthPromotionLibrary {
  public:
    virtual ~HealthPromotionLibrary() = default;

    // True when the library is loaded (already, or now) with every export; a failed
    // load is tried again at the next call.
    virtual bool load() = 0;
    virtual std::optional<int32_t> csOpenCom(int32_t port) = 0;
    virtual std::optional<int32_t> csCloseCom() = 0;
    virtual std::optional<int32_t> csGetHospID(char* buffer, int32_t* length) = 0;
    virtual std::optional<int32_t> csGetCardNo(int32_t cardType, char* buffer, int32_t* length) = 0;
    virtual std::optional<int32_t> hisGetBasicData(char* buffer, int32_t* length) = 0;
    // Writes the number of bytes it returned into *length.
    virtual std::optional<int32_t> hisGetRegisterPrevent(char* buffer, int32_t* length) = 0;
    // A copy of the library's zero-terminated CP950 token; std::nullopt also when the
    // library gives none (a null pointer).
    virtual std::optional<QByteArray> GetBhpApiToken() = 0;
};
