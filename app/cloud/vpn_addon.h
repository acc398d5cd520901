#pragma once
// The insurer's VPN add-on component: the identifiers of the cards in the reader,
// a client random and the card's signature over it. The component is made for one
// use and released after it.
//
// Production: on Windows the COM object "CsHisX.nhicshisx.1" through late-bound
// automation calls; elsewhere a library of the same three operations loaded by
// plain name ("CsHisX": libCsHisX.so), whose C interface is below.

#include <QLibrary>
#include <QString>
#include <memory>
#include <optional>

// One made component. Each call gives std::nullopt when it fails.
class VpnAddOnSession {
  public:
    virtual ~VpnAddOnSession() = default;  // releases the component
    virtual std::optional<QString> GetAllCardsInfoInCS() = 0;
    virtual std::optional<QString> VPNGetRandomX() = 0;
    // `random` is passed by reference: the component may rewrite it.
    virtual std::optional<QString> VPNH_SignX(QString& random, const QString& type,
                                              const QString& code) = 0;
};

class VpnAddOn {
  public:
    virtual ~VpnAddOn() = default;
    // A new component, or null when it is not installed or cannot be made.
    virtual std::unique_ptr<VpnAddOnSession> create() = 0;
};

// The C interface of the component's library outside Windows. Texts are UTF-8.
// A text result is copied into `out` as far as `size` allows (zero-terminated) and
// the call returns its full length without the zero, or -1 when the call failed.
//   void* vpnCreate(void);                       null: cannot be made
//   void  vpnRelease(void* component);
//   int   vpnGetAllCardsInfoInCS(void* component, char* out, int size);
//   int   vpnGetRandomX(void* component, char* out, int size);
//   int   vpnSignX(void* component, char* random, int randomSize, const char* type,
//                  const char* code, char* out, int size);
//   (`random` in and out: zero-terminated, at most randomSize bytes with the zero)
class CsHisXAddOn : public VpnAddOn {
  public:
    explicit CsHisXAddOn(QString programDir, QString baseName = QStringLiteral("CsHisX"));
    ~CsHisXAddOn() override;
    std::unique_ptr<VpnAddOnSession> create() override;

  private:
    QString programDir_;
    QString baseName_;
    std::unique_ptr<QLibrary> lib_;  // outside Windows
};
