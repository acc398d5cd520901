#include "cloud/referral_documents.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "common/json_writer.h"

namespace referral {

namespace {

const QString kWsdlNs = QStringLiteral("http://schemas.xmlsoap.org/wsdl/");
const QString kWsdlSoapNs = QStringLiteral("http://schemas.xmlsoap.org/wsdl/soap/");

QString firstCardId(const QJsonObject& cards, const QString& kind, bool* ok) {
    const QJsonArray list = cards.value(kind).toArray();
    const QJsonValue id = list.isEmpty() ? QJsonValue() : list.first().toObject().value("CARD_ID");
    if (!cards.value(kind).isArray() || !id.isString()) *ok = false;
    return id.toString();
}

}  // namespace

QByteArray requestJson(const Request& r) {
    OrderedJsonObject o;
    o.add(QStringLiteral("sHospId"), r.sHospId)
        .add(QStringLiteral("sPatId"), r.sPatId)
        .add(QStringLiteral("sType"), QString())
        .add(QStringLiteral("sRefSeq"), QString())
        .add(QStringLiteral("sHospSeq"), QString())
        .add(QStringLiteral("sCardId"), r.sCardId)
        .add(QStringLiteral("sClientRandom"), r.sClientRandom)
        .add(QStringLiteral("sSignature"), r.sSignature)
        .add(QStringLiteral("sSamId"), r.sSamId);
    return o.toJson();
}

QByteArray soapEnvelope(const QString& json) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(kSoapEnvelopeNs, QStringLiteral("soap"));
    w.writeStartElement(kSoapEnvelopeNs, QStringLiteral("Envelope"));
    w.writeStartElement(kSoapEnvelopeNs, QStringLiteral("Body"));
    // The operation's namespace as the element's default one, where the service
    // expects it, rather than on the envelope.
    w.writeStartElement(QStringLiteral("GetRefData"));
    w.writeAttribute(QStringLiteral("xmlns"), kNamespace);
    w.writeTextElement(QStringLiteral("json"), json);
    w.writeEndDocument();
    return out;
}

QString serviceEndpoint(const QByteArray& description) {
    QXmlStreamReader r(description);
    QString address;
    bool inService = false;
    bool inPort = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.namespaceUri() == kWsdlNs && r.name() == QLatin1String("service")) {
                inService = r.attributes().value("name") == kService;
            } else if (inService && r.namespaceUri() == kWsdlNs &&
                       r.name() == QLatin1String("port")) {
                inPort = r.attributes().value("name") == kPort;
            } else if (inPort && address.isEmpty() && r.namespaceUri() == kWsdlSoapNs &&
                       r.name() == QLatin1String("address")) {
                address = r.attributes().value("location").toString();
            }
        } else if (r.isEndElement() && r.namespaceUri() == kWsdlNs) {
            if (r.name() == QLatin1String("port")) inPort = false;
            if (r.name() == QLatin1String("service")) inService = false;
        }
    }
    if (r.hasError()) return QString();
    return address;
}

std::optional<QString> soapResult(const QByteArray& reply) {
    QXmlStreamReader r(reply);
    std::optional<QString> result;
    int depth = 0;
    bool inBody = false;
    bool fault = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            ++depth;
            if (depth == 1 &&
                !(r.namespaceUri() == kSoapEnvelopeNs && r.name() == QLatin1String("Envelope")))
                return std::nullopt;
            if (depth == 2 && r.namespaceUri() == kSoapEnvelopeNs &&
                r.name() == QLatin1String("Body"))
                inBody = true;
            if (inBody && r.namespaceUri() == kSoapEnvelopeNs && r.name() == QLatin1String("Fault"))
                fault = true;
            if (inBody && !result && r.name() == QLatin1String("GetRefDataResult")) {
                result = r.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                --depth;  // readElementText consumed the end element
            }
        } else if (r.isEndElement()) {
            if (depth == 2) inBody = false;
            --depth;
        }
    }
    if (r.hasError() || fault) return std::nullopt;
    return result;
}

std::optional<QString> referralText(const QString& replyJson) {
    const QJsonDocument doc = QJsonDocument::fromJson(replyJson.toUtf8());
    if (!doc.isObject()) return std::nullopt;
    const QJsonObject o = doc.object();
    if (!o.contains(QStringLiteral("sub"))) return std::nullopt;
    const QJsonValue sub = o.value(QStringLiteral("sub"));
    if (sub.isNull() ||
        (sub.isString() && sub.toString().compare(QLatin1String("null"), Qt::CaseInsensitive) == 0))
        return QString();
    if (!sub.isArray()) return std::nullopt;
    QStringList used;
    for (const QJsonValue& entry : sub.toArray()) {
        const QJsonValue data = entry.toObject().value(QStringLiteral("oEtData"));
        if (!data.isString()) return std::nullopt;
        const QStringList fields = splitFields(data.toString());
        if (fields.size() >= kMinFields) used.append(fields.first());
    }
    return used.join(kJoin);
}

QStringList splitFields(const QString& text) {
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (true) {
        QString field;
        if (i < n && text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        }
        while (i < n && text[i] != u',') field += text[i++];
        fields.append(field);
        if (i >= n) break;
        ++i;  // the comma
    }
    return fields;
}

std::optional<CardIds> parseCardList(const QString& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
    const QJsonValue all = doc.object().value(QStringLiteral("AllCardsInfoInCS"));
    if (!doc.isObject() || !all.isObject()) return std::nullopt;
    bool ok = true;
    CardIds ids;
    ids.samId = firstCardId(all.toObject(), QStringLiteral("SAM"), &ok);
    ids.cardId = firstCardId(all.toObject(), QStringLiteral("HC"), &ok);
    if (!ok) return std::nullopt;
    return ids;
}

}  // namespace referral
