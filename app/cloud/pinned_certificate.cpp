#include "pinned_certificate.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QMultiMap>

QByteArray pinnedFingerprint(const QString& sha256Hex) {
    QString hex = sha256Hex;
    hex.remove(u':').remove(u' ');
    const QByteArray raw = QByteArray::fromHex(hex.toLatin1());
    return raw.size() == 32 ? raw : QByteArray();
}

namespace {

bool namesHost(const QSslCertificate& cert, const QString& host) {
    const QHostAddress address(host);
    const auto alternatives = cert.subjectAlternativeNames();
    if (!alternatives.isEmpty()) {
        for (auto it = alternatives.cbegin(); it != alternatives.cend(); ++it) {
            if (it.key() == QSsl::IpAddressEntry && !address.isNull() &&
                QHostAddress(it.value()) == address)
                return true;
            // Exact names only: the pinned certificate is ours and has no wildcards.
            if (it.key() == QSsl::DnsEntry && address.isNull() &&
                it.value().compare(host, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    for (const QString& cn : cert.subjectInfo(QSslCertificate::CommonName))
        if (cn.compare(host, Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace

bool pinnedCertificateAcceptable(const QSslCertificate& leaf, const QString& host,
                                 const QByteArray& pinned, const QDateTime& now) {
    if (pinned.isEmpty() || leaf.isNull() || host.isEmpty()) return false;
    if (leaf.digest(QCryptographicHash::Sha256) != pinned) return false;
    if (now < leaf.effectiveDate() || now > leaf.expiryDate()) return false;
    return namesHost(leaf, host);
}
