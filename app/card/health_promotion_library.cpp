#include "card/health_promotion_library.h"

#include <QDir>
#include <QStringList>

#include "card/loaded_control_software.h"

#if defined(_WIN32) && !defined(_WIN64)
const char* const HpaBhpLibrary::kTokenExport = "_hpaGetBhpApiToken@0";
#else
const char* const HpaBhpLibrary::kTokenExport = "hpaGetBhpApiToken";
#endif

namespace {

using FOpenCom = int32_t(TOLVANE_CSAPI*)(int32_t port);
using FCloseCom = int32_t(TOLVANE_CSAPI*)();
using FBuffer = int32_t(TOLVANE_CSAPI*)(char* buffer, int32_t* length);
using FCardNo = int32_t(TOLVANE_CSAPI*)(int32_t cardType, char* buffer, int32_t* length);
using FToken = const char*(TOLVANE_CSAPI*)();

// The library is unusable when any of these is missing.
constexpr int kNotLoaded = -1;

}  // namespace

struct HpaBhpLibrary::Entries {
    FOpenCom openCom = nullptr;
    FCloseCom closeCom = nullptr;
    FBuffer getHospId = nullptr;
    FCardNo getCardNo = nullptr;
    FBuffer getBasicData = nullptr;
    FBuffer getRegisterPrevent = nullptr;
    FToken getToken = nullptr;

    bool complete() const {
        return openCom && closeCom && getHospId && getCardNo && getBasicData &&
               getRegisterPrevent && getToken;
    }
};

HpaBhpLibrary::HpaBhpLibrary(QString programDir, QString baseName)
    : programDir_(std::move(programDir)),
      baseName_(std::move(baseName)),
      entries_(std::make_unique<Entries>()) {}

HpaBhpLibrary::~HpaBhpLibrary() {
    if (lib_) lib_->unload();
}

bool HpaBhpLibrary::available() {
    if (lib_) return true;
    QStringList errors;
    // The program's folder first, as the Windows loader searches it first.
    const QStringList candidates = {QDir(programDir_).filePath(baseName_), baseName_};
    for (const QString& name : candidates) {
        if (name != baseName_ && programDir_.isEmpty()) continue;
        auto lib = std::make_unique<QLibrary>(name);
        if (!lib->load()) {
            errors << lib->errorString();
            continue;
        }
        Entries e;
        e.openCom = reinterpret_cast<FOpenCom>(lib->resolve("csOpenCom"));
        e.closeCom = reinterpret_cast<FCloseCom>(lib->resolve("csCloseCom"));
        e.getHospId = reinterpret_cast<FBuffer>(lib->resolve("csGetHospID"));
        e.getCardNo = reinterpret_cast<FCardNo>(lib->resolve("csGetCardNo"));
        e.getBasicData = reinterpret_cast<FBuffer>(lib->resolve("hisGetBasicData"));
        e.getRegisterPrevent = reinterpret_cast<FBuffer>(lib->resolve("hisGetRegisterPrevent"));
        e.getToken = reinterpret_cast<FToken>(lib->resolve(kTokenExport));
        if (!e.complete()) {
            errors << QStringLiteral("%1: missing exports").arg(lib->fileName());
            lib->unload();
            continue;
        }
        *entries_ = e;
        lib_ = std::move(lib);
        loadError_.clear();
        return true;
    }
    loadError_ = errors.join(QStringLiteral("; "));
    return false;
}

int32_t HpaBhpLibrary::csOpenCom(int32_t port) {
    return lib_ ? entries_->openCom(port) : kNotLoaded;
}
int32_t HpaBhpLibrary::csCloseCom() { return lib_ ? entries_->closeCom() : kNotLoaded; }
int32_t HpaBhpLibrary::csGetHospID(char* buffer, int32_t* length) {
    return lib_ ? entries_->getHospId(buffer, length) : kNotLoaded;
}
int32_t HpaBhpLibrary::csGetCardNo(int32_t cardType, char* buffer, int32_t* length) {
    return lib_ ? entries_->getCardNo(cardType, buffer, length) : kNotLoaded;
}
int32_t HpaBhpLibrary::hisGetBasicData(char* buffer, int32_t* length) {
    return lib_ ? entries_->getBasicData(buffer, length) : kNotLoaded;
}
int32_t HpaBhpLibrary::hisGetRegisterPrevent(char* buffer, int32_t* length) {
    return lib_ ? entries_->getRegisterPrevent(buffer, length) : kNotLoaded;
}
const char* HpaBhpLibrary::GetBhpApiToken() { return lib_ ? entries_->getToken() : nullptr; }
