#pragma once
// The one server certificate trusted by its SHA-256 fingerprint (the loopback
// stand-ins). The pin replaces only the missing authority: the certificate must
// still be within its dates and name the host it was presented for, and the
// caller accepts it only when the authority was the one thing wrong.

#include <QByteArray>
#include <QDateTime>
#include <QSslCertificate>
#include <QString>

// "AB:cd ..." or plain hex; anything but 32 bytes pins nothing (empty result).
QByteArray pinnedFingerprint(const QString& sha256Hex);

// The leaf is the pinned one, valid at `now` and issued for `host` (an IP address
// or DNS name in its alternative names, or its common name when it has none).
bool pinnedCertificateAcceptable(const QSslCertificate& leaf, const QString& host,
                                 const QByteArray& pinned, const QDateTime& now);
