#pragma once
// What the simulated VPN add-on component signs and the simulated referral service
// checks: a client random signed by the patient card and the SAM in the reader.
// Shared by sim/vpnaddon and sim/services only.

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

namespace simsign {

inline QString signature(const QString& random, const QString& cardNo, const QString& samId) {
    const QByteArray input = (random + u'|' + cardNo + u'|' + samId).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(input, QCryptographicHash::Sha256).toHex().left(32).toUpper());
}

}  // namespace simsign
