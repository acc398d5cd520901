#include "card/hpabhp_library.h"

#include <QLibrary>

#include "card/loaded_control_software.h"
#include "common/library_loader.h"

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

}  // namespace

struct HpaBhpLibrary::Entries {
    FOpenCom openCom = nullptr;
    FCloseCom closeCom = nullptr;
    FBuffer getHospId = nullptr;
    FCardNo getCardNo = nullptr;
    FBuffer getBasicData = nullptr;
    FBuffer getRegisterPrevent = nullptr;
    FToken getToken = nullptr;

    static Entries of(QLibrary& lib) {
        Entries e;
        e.openCom = reinterpret_cast<FOpenCom>(lib.resolve("csOpenCom"));
        e.closeCom = reinterpret_cast<FCloseCom>(lib.resolve("csCloseCom"));
        e.getHospId = reinterpret_cast<FBuffer>(lib.resolve("csGetHospID"));
        e.getCardNo = reinterpret_cast<FCardNo>(lib.resolve("csGetCardNo"));
        e.getBasicData = reinterpret_cast<FBuffer>(lib.resolve("hisGetBasicData"));
        e.getRegisterPrevent = reinterpret_cast<FBuffer>(lib.resolve("hisGetRegisterPrevent"));
        e.getToken = reinterpret_cast<FToken>(lib.resolve(kTokenExport));
        return e;
    }
    // The library is unusable when any of them is missing.
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

bool HpaBhpLibrary::load() {
    if (lib_) return true;
    Entries found;
    lib_ = loadBesideProgram(programDir_, baseName_, &loadError_, [&found](QLibrary& lib) {
        found = Entries::of(lib);
        return found.complete() ? QString()
                                : QStringLiteral("%1: missing exports").arg(lib.fileName());
    });
    if (!lib_) return false;
    *entries_ = found;
    return true;
}

std::optional<int32_t> HpaBhpLibrary::csOpenCom(int32_t port) {
    if (!lib_) return std::nullopt;
    return entries_->openCom(port);
}
std::optional<int32_t> HpaBhpLibrary::csCloseCom() {
    if (!lib_) return std::nullopt;
    return entries_->closeCom();
}
std::optional<int32_t> HpaBhpLibrary::csGetHospID(char* buffer, int32_t* length) {
    if (!lib_) return std::nullopt;
    return entries_->getHospId(buffer, length);
}
std::optional<int32_t> HpaBhpLibrary::csGetCardNo(int32_t cardType, char* buffer, int32_t* length) {
    if (!lib_) return std::nullopt;
    return entries_->getCardNo(cardType, buffer, length);
}
std::optional<int32_t> HpaBhpLibrary::hisGetBasicData(char* buffer, int32_t* length) {
    if (!lib_) return std::nullopt;
    return entries_->getBasicData(buffer, length);
}
std::optional<int32_t> HpaBhpLibrary::hisGetRegisterPrevent(char* buffer, int32_t* length) {
    if (!lib_) return std::nullopt;
    return entries_->getRegisterPrevent(buffer, length);
}
std::optional<QByteArray> HpaBhpLibrary::GetBhpApiToken() {
    if (!lib_) return std::nullopt;
    const char* token = entries_->getToken();
    if (token == nullptr) return std::nullopt;
    return QByteArray(token);
}
