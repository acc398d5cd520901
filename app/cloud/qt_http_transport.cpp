#include "cloud/qt_http_transport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>
#include <algorithm>

#include "cloud/pinned_certificate.h"
#include "common/clock.h"

namespace {

// Errors Qt raises for an answer that did arrive whole, only with a status
// outside 2xx: the caller sees the status and the body.
bool isHttpStatusError(QNetworkReply::NetworkError e) {
    return (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError) ||
           (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError) ||
           e == QNetworkReply::ProtocolInvalidOperationError;
}

// The errors of a certificate whose only fault is that no trusted authority
// signed it: what a pinned self-made certificate raises, and nothing more.
bool onlyAuthorityMissing(const QList<QSslError>& errors) {
    for (const QSslError& e : errors) {
        switch (e.error()) {
            case QSslError::SelfSignedCertificate:
            case QSslError::SelfSignedCertificateInChain:
            case QSslError::UnableToGetLocalIssuerCertificate:
            case QSslError::UnableToVerifyFirstCertificate:
            case QSslError::CertificateUntrusted:
                break;
            default:
                return false;
        }
    }
    return !errors.isEmpty();
}

}  // namespace

QtHttpTransport::QtHttpTransport(int timeoutMs) : QtHttpTransport(systemClock(), timeoutMs) {}

QtHttpTransport::QtHttpTransport(Clock& clock, int timeoutMs)
    : clock_(clock), timeoutMs_(timeoutMs) {}

void QtHttpTransport::setTrustedCertificateFingerprint(const QString& sha256Hex) {
    trustedFingerprint_ = pinnedFingerprint(sha256Hex);
}

HttpResponse QtHttpTransport::exchange(const HttpRequest& request) {
    HttpResponse response;
    if (request.url.scheme() != QLatin1String("https") || request.url.host().isEmpty()) {
        response.error = QStringLiteral("僅接受 https 位址: %1").arg(request.url.toString());
        return response;
    }

    QNetworkAccessManager manager;
    QNetworkRequest req(request.url);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setProtocol(QSsl::TlsV1_2OrLater);
    req.setSslConfiguration(ssl);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::ManualRedirectPolicy);
    req.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // Uncompressed answers only: the cap is on what arrives, and a small compressed
    // answer could unpack to any size.
    req.setRawHeader("Accept-Encoding", "identity");
    for (const auto& [name, value] : request.headers) req.setRawHeader(name, value);

    QNetworkReply* reply = request.method == "POST"
                               ? manager.post(req, request.body)
                               : manager.sendCustomRequest(req, request.method);
    const QByteArray trusted = trustedFingerprint_;
    const QString host = request.url.host();
    QObject::connect(
        reply, &QNetworkReply::sslErrors, reply,
        [reply, trusted, host](const QList<QSslError>& errors) {
            const QSslCertificate peer = reply->sslConfiguration().peerCertificate();
            if (onlyAuthorityMissing(errors) &&
                pinnedCertificateAcceptable(peer, host, trusted, QDateTime::currentDateTimeUtc()))
                reply->ignoreSslErrors(errors);
        });
    // A declared or received length past the cap ends the exchange at once. The
    // body is taken as it arrives, so the cap holds whatever the reply buffers.
    bool tooLarge = false;
    QByteArray body;
    auto exceeded = [reply, &tooLarge](qint64 bytes) {
        if (bytes <= kMaxAnswerBytes || tooLarge) return;
        tooLarge = true;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, exceeded] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) exceeded(length.toLongLong());
    });
    auto take = [reply, &body, &tooLarge, exceeded] {
        if (tooLarge) return;
        // Only what has arrived: read(n) sets n bytes aside before it reads, so a read
        // of the whole remaining cap took megabytes per chunk and the answer kept them.
        body += reply->read(std::min(reply->bytesAvailable(), kMaxAnswerBytes + 1 - body.size()));
        exceeded(body.size() + reply->bytesAvailable());
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);

    const bool finished = WaitFor(clock_, static_cast<std::uint32_t>(timeoutMs_),
                                  [reply] { return reply->isFinished(); });
    const bool timedOut = !finished && !tooLarge;
    if (!finished) reply->abort();
    if (finished) take();  // what came with the end

    const QNetworkReply::NetworkError error = reply->error();
    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge) {
        response.error = QStringLiteral("回應過大(超過%1 MiB): %2")
                             .arg(QString::number(kMaxAnswerBytes / (1024 * 1024)),
                                  request.url.toString(QUrl::RemoveQuery));
    } else if (timedOut) {
        response.error = QStringLiteral("連線逾時(%1秒): %2")
                             .arg(timeoutMs_ / 1000.0)
                             .arg(request.url.toString(QUrl::RemoveQuery));
    } else if (error == QNetworkReply::NoError ||
               (response.status > 0 && isHttpStatusError(error))) {
        response.completed = true;
        response.body = body;
    } else {
        response.error = reply->errorString();
    }
    if (!response.completed) response.status = 0;
    delete reply;
    return response;
}
