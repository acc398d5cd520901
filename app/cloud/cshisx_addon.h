#pragma once
// The production side of VpnAddOn: on Windows the COM object "CsHisX.nhicshisx.1"
// through late-bound automation calls; elsewhere a library of the same three operations
// loaded by plain name ("CsHisX": libCsHisX.so), from the program's folder first, whose
// C interface is below.

#include <QString>
#include <memory>

#include "cloud/vpn_addon.h"

class QLibrary;

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
