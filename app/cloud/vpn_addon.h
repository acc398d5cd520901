#pragma once
// The insurer's VPN add-on component: the identifiers of the cards in the reader,
// a client random and the card's signature over it. The component is made for one
// use and released after it.
//
// Production is CsHisXAddOn (cshisx_addon.h); the tests use an in-process fake.

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
    // A new component, or none (an empty pointer) when it is not installed or cannot be
    // made; then nothing was called.
    virtual std::unique_ptr<VpnAddOnSession> create() = 0;
};
