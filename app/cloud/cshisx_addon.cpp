#include "cloud/cshisx_addon.h"

#include <QByteArray>
#include <QLibrary>

#include "common/library_loader.h"

#if defined(_WIN32)
#include <objbase.h>
#include <oleauto.h>
#endif

#if defined(_WIN32)

namespace {

// Late-bound automation on "CsHisX.nhicshisx.1": COM is entered and left, and the
// object made and released, within one session.
class ComSession : public VpnAddOnSession {
  public:
    ComSession() {
        initialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"CsHisX.nhicshisx.1", &clsid))) return;
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&object_));
    }
    ~ComSession() override {
        if (object_) object_->Release();
        if (initialised_) CoUninitialize();
    }
    bool made() const { return object_ != nullptr; }

    std::optional<QString> GetAllCardsInfoInCS() override {
        return invoke(L"GetAllCardsInfoInCS", nullptr, 0);
    }
    std::optional<QString> VPNGetRandomX() override { return invoke(L"VPNGetRandomX", nullptr, 0); }
    std::optional<QString> VPNH_SignX(QString& random, const QString& type,
                                      const QString& code) override {
        // Arguments go in reverse order; the random is passed by reference.
        BSTR randomText = SysAllocString(reinterpret_cast<const wchar_t*>(random.utf16()));
        VARIANT args[3];
        for (VARIANT& v : args) VariantInit(&v);
        args[2].vt = VT_BSTR | VT_BYREF;
        args[2].pbstrVal = &randomText;
        args[1].vt = VT_BSTR;
        args[1].bstrVal = SysAllocString(reinterpret_cast<const wchar_t*>(type.utf16()));
        args[0].vt = VT_BSTR;
        args[0].bstrVal = SysAllocString(reinterpret_cast<const wchar_t*>(code.utf16()));
        std::optional<QString> result = invoke(L"VPNH_SignX", args, 3);
        random = QString::fromWCharArray(randomText, int(SysStringLen(randomText)));
        SysFreeString(randomText);
        VariantClear(&args[1]);
        VariantClear(&args[0]);
        return result;
    }

  private:
    std::optional<QString> invoke(const wchar_t* name, VARIANT* args, UINT count) {
        if (!object_) return std::nullopt;
        DISPID id;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
            return std::nullopt;
        DISPPARAMS params{args, nullptr, count, 0};
        VARIANT result;
        VariantInit(&result);
        if (FAILED(object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                                   DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &result,
                                   nullptr, nullptr)))
            return std::nullopt;
        std::optional<QString> text;
        if (SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR)))
            text = QString::fromWCharArray(result.bstrVal, int(SysStringLen(result.bstrVal)));
        VariantClear(&result);
        return text;
    }

    bool initialised_ = false;
    IDispatch* object_ = nullptr;
};

}  // namespace

CsHisXAddOn::CsHisXAddOn(QString programDir, QString baseName)
    : programDir_(std::move(programDir)), baseName_(std::move(baseName)) {}

CsHisXAddOn::~CsHisXAddOn() = default;

std::unique_ptr<VpnAddOnSession> CsHisXAddOn::create() {
    auto session = std::make_unique<ComSession>();
    if (!session->made()) return nullptr;
    return session;
}

#else

namespace {

using FCreate = void* (*)();
using FRelease = void (*)(void*);
using FText = int (*)(void*, char*, int);
using FSign = int (*)(void*, char*, int, const char*, const char*, char*, int);

// Random texts and signatures are short; a longer result is fetched again whole,
// up to a limit far above anything the component gives: a length past it (up to
// INT_MAX, where one more byte would overflow) is taken for a fault.
constexpr int kFirstTry = 4096;
constexpr int kMaxText = 1 << 20;
constexpr int kRandomBytes = 1024;

class LibrarySession : public VpnAddOnSession {
  public:
    LibrarySession(QLibrary& lib, void* object) : object_(object) {
        release_ = reinterpret_cast<FRelease>(lib.resolve("vpnRelease"));
        cards_ = reinterpret_cast<FText>(lib.resolve("vpnGetAllCardsInfoInCS"));
        random_ = reinterpret_cast<FText>(lib.resolve("vpnGetRandomX"));
        sign_ = reinterpret_cast<FSign>(lib.resolve("vpnSignX"));
    }
    ~LibrarySession() override {
        if (release_) release_(object_);
    }

    std::optional<QString> GetAllCardsInfoInCS() override { return text(cards_); }
    std::optional<QString> VPNGetRandomX() override { return text(random_); }
    std::optional<QString> VPNH_SignX(QString& random, const QString& type,
                                      const QString& code) override {
        if (!sign_) return std::nullopt;
        QByteArray in = random.toUtf8().left(kRandomBytes - 1);
        in.resize(kRandomBytes, '\0');
        const QByteArray typeText = type.toUtf8();
        const QByteArray codeText = code.toUtf8();
        QByteArray out(kFirstTry, '\0');
        int n = sign_(object_, in.data(), kRandomBytes, typeText.constData(), codeText.constData(),
                      out.data(), int(out.size()));
        if (n > kMaxText) return std::nullopt;
        if (n >= out.size()) {
            // Signed once more with the random as given, into a buffer that fits.
            in = random.toUtf8().left(kRandomBytes - 1);
            in.resize(kRandomBytes, '\0');
            out = QByteArray(n + 1, '\0');
            n = sign_(object_, in.data(), kRandomBytes, typeText.constData(), codeText.constData(),
                      out.data(), int(out.size()));
        }
        if (n < 0 || n >= out.size()) return std::nullopt;
        random = QString::fromUtf8(in.constData());
        return QString::fromUtf8(out.constData(), n);
    }

  private:
    std::optional<QString> text(FText f) {
        if (!f) return std::nullopt;
        QByteArray out(kFirstTry, '\0');
        int n = f(object_, out.data(), int(out.size()));
        if (n > kMaxText) return std::nullopt;
        if (n >= out.size()) {
            out = QByteArray(n + 1, '\0');
            n = f(object_, out.data(), int(out.size()));
        }
        if (n < 0 || n >= out.size()) return std::nullopt;
        return QString::fromUtf8(out.constData(), n);
    }

    void* object_;
    FRelease release_ = nullptr;
    FText cards_ = nullptr;
    FText random_ = nullptr;
    FSign sign_ = nullptr;
};

}  // namespace

CsHisXAddOn::CsHisXAddOn(QString programDir, QString baseName)
    : programDir_(std::move(programDir)), baseName_(std::move(baseName)) {}

CsHisXAddOn::~CsHisXAddOn() = default;

std::unique_ptr<VpnAddOnSession> CsHisXAddOn::create() {
    // The library stays loaded once found; the component itself is made per use.
    if (!lib_) lib_ = loadBesideProgram(programDir_, baseName_);
    if (!lib_) return nullptr;
    const auto create = reinterpret_cast<FCreate>(lib_->resolve("vpnCreate"));
    void* object = create ? create() : nullptr;
    if (object == nullptr) return nullptr;
    return std::make_unique<LibrarySession>(*lib_, object);
}

#endif
