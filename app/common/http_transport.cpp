#include "common/http_transport.h"

QString HttpResponse::failure() const {
    if (!completed) return error;
    if (ok()) return QString();
    return QStringLiteral("伺服器回應錯誤 HTTP %1").arg(status);
}
