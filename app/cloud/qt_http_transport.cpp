#include "cloud/qt_http_transport.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

namespace {

// Errors Qt raises for an answer that did arrive whole, only with a status
// outside 2xx: the caller sees the status and the body.
bool isHttpStatusError(QNetworkReply::NetworkError e) {
    return (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError) ||
           (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError) ||
           e == QNetworkReply::ProtocolInvalidOperationError;
}

}  // namespace

void QtHttpTransport::setTrustedCertificateFingerprint(const QString& sha256Hex) {
    QString hex = sha256Hex;
    hex.remove(u':').remove(u' ');
    const QByteArray raw = QByteArray::fromHex(hex.toLatin1());
    trustedFingerprint_ = raw.size() == 32 ? raw : QByteArray();
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
    for (const auto& [name, value] : request.headers) req.setRawHeader(name, value);

    QNetworkReply* reply = request.method == "POST"
                               ? manager.post(req, request.body)
                               : manager.sendCustomRequest(req, request.method);
    const QByteArray trusted = trustedFingerprint_;
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [reply, trusted](const QList<QSslError>& errors) {
                         const QSslCertificate peer = reply->sslConfiguration().peerCertificate();
                         if (!trusted.isEmpty() && !peer.isNull() &&
                             peer.digest(QCryptographicHash::Sha256) == trusted)
                             reply->ignoreSslErrors(errors);
                     });

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
        loop.quit();
    });
    deadline.start(timeoutMs_);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();

    const QNetworkReply::NetworkError error = reply->error();
    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut) {
        response.error = QStringLiteral("連線逾時(%1秒): %2")
                             .arg(timeoutMs_ / 1000.0)
                             .arg(request.url.toString(QUrl::RemoveQuery));
    } else if (error == QNetworkReply::NoError ||
               (response.status > 0 && isHttpStatusError(error))) {
        response.completed = true;
        response.body = reply->readAll();
    } else {
        response.error = reply->errorString();
    }
    if (!response.completed) response.status = 0;
    delete reply;
    return response;
}
