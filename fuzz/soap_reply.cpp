// The referral service's SOAP reply, and the envelope written around a request
// text from outside: the writer never gives a document that is not well-formed
// for text that XML can carry.
#include <QXmlStreamReader>
#include <cstddef>
#include <cstdint>

#include "cloud/referral_documents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)referral::soapResult(bytes);

    QString json = QString::fromUtf8(bytes);
    // Characters XML 1.0 cannot hold at all are not ours to send.
    json.removeIf([](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c == u'\r' || c.isSurrogate() ||
               c.unicode() >= 0xFFFE;
    });
    QXmlStreamReader r(referral::soapEnvelope(json));
    QString seen;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("json")) seen = r.readElementText();
    }
    if (r.hasError() || seen != json) __builtin_trap();
    return 0;
}
