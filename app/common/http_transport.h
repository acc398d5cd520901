#pragma once
// One HTTP exchange with a web service, blocking until the answer is in or the
// time-out has passed. The production side is Qt Network over TLS 1.2 or newer
// with verified certificates (cloud/qt_http_transport.h); tests use a recording fake.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

struct HttpRequest {
    QByteArray method = "GET";  // "GET" or "POST"
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

struct HttpResponse {
    // False when no complete answer arrived: connection, TLS, time-out or a
    // cut-off body. `error` then says why, in words fit for a message box.
    bool completed = false;
    int status = 0;  // the HTTP status of a completed exchange
    QByteArray body;
    QString error;

    bool ok() const { return completed && status >= 200 && status < 300; }
    // Why the exchange did not give a usable answer (a status outside 2xx included).
    QString failure() const;
};

class HttpTransport {
  public:
    // Every exchange ends after this long unless set otherwise.
    static constexpr int kDefaultTimeoutMs = 30000;

    virtual ~HttpTransport() = default;
    virtual HttpResponse exchange(const HttpRequest& request) = 0;
};
