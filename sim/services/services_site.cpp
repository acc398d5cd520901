#include "services_site.h"

#include <iconv.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QXmlStreamReader>
#include <mutex>
#include <optional>

#include "card_state.h"
#include "loopback_server.h"
#include "signature.h"

namespace services {

namespace {

const char* const kApiPath = "/bhpApi/api/All/Valid";
const char* const kSoapPath = "/ipie0000/IPIE0000S01.asmx";
const QString kEnvelopeNs = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
const QString kServiceNs = QStringLiteral("http://localhost/");
const char* const kJsonType = "application/json; charset=utf-8";
const char* const kXmlType = "text/xml; charset=utf-8";

// The request bodies of the health-promotion API are in code page 950.
std::optional<QString> fromCp950(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP950");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 4 + 4, '\0');
    char* inp = in.data();
    char* outp = out.data();
    size_t inLeft = size_t(in.size());
    size_t outLeft = size_t(out.size());
    const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1)) return std::nullopt;
    return QString::fromUtf8(out.constData(), qsizetype(out.size() - qsizetype(outLeft)));
}

// One JSON value as written compactly.
QString jsonText(const QJsonValue& v) {
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

// The members of `o` written in the given order without white space: a request
// that differs from this in any byte has its members out of order or spaced.
QString ordered(const QJsonObject& o, const QStringList& keys) {
    QStringList parts;
    for (const QString& k : keys) parts << jsonText(k) + u':' + jsonText(o.value(k));
    return u'{' + parts.join(u',') + u'}';
}

QString soapFault(const QString& code, const QString& text) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
               "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><soap:Fault>"
               "<faultcode>soap:%1</faultcode><faultstring>%2</faultstring></soap:Fault>"
               "</soap:Body></soap:Envelope>")
        .arg(code, text.toHtmlEscaped());
}

QString soapReply(const QString& result, bool withResult) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
               "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soap:Body>"
               "<GetRefDataResponse xmlns=\"http://localhost/\">%1</GetRefDataResponse>"
               "</soap:Body></soap:Envelope>")
        .arg(withResult ? QStringLiteral("<GetRefDataResult>%1</GetRefDataResult>")
                              .arg(result.toHtmlEscaped())
                        : QString());
}

// The "json" element of a GetRefData envelope, or nothing when the envelope is not
// SOAP 1.1 with GetRefData in the service's namespace directly in its body.
std::optional<QString> envelopeJson(const QByteArray& body) {
    QXmlStreamReader r(body);
    if (!r.readNextStartElement() || r.namespaceUri() != kEnvelopeNs || r.name() != u"Envelope")
        return std::nullopt;
    if (!r.readNextStartElement() || r.namespaceUri() != kEnvelopeNs || r.name() != u"Body")
        return std::nullopt;
    if (!r.readNextStartElement() || r.namespaceUri() != kServiceNs || r.name() != u"GetRefData")
        return std::nullopt;
    if (!r.readNextStartElement() || r.namespaceUri() != kServiceNs || r.name() != u"json")
        return std::nullopt;
    const QString json = r.readElementText();
    while (!r.atEnd()) r.readNext();
    if (r.hasError()) return std::nullopt;
    return json;
}

struct Effective {
    int httpStatus = 0;
    bool notJson = false, wrongTypes = false, soapFault = false, noResult = false;
    int slowMs = 0;
    bool noReply = false, cutBody = false, noDescription = false, httpDescription = false;
    bool huge = false;
};

}  // namespace

struct Server::Impl {
    Options options;
    Switches switches;
    QJsonObject fixture;
    sim::LoopbackServer loopback;
    int port = 0;
    QString error;

    mutable std::mutex mutex;
    QList<Recorded> log;
    QSet<QString> usedTokens;

    // The switches set here and those named in the switch file.
    Effective effective() const {
        Effective e;
        e.httpStatus = switches.httpStatus;
        e.notJson = switches.notJson;
        e.wrongTypes = switches.wrongTypes;
        e.soapFault = switches.soapFault;
        e.noResult = switches.noResult;
        e.slowMs = switches.slowMs;
        e.noReply = switches.noReply;
        e.cutBody = switches.cutBody;
        e.noDescription = switches.noDescription;
        e.httpDescription = switches.httpDescription;
        e.huge = switches.huge;
        QFile file(QDir(options.simDir).filePath(QLatin1String(kSwitchFile)));
        if (!file.open(QIODevice::ReadOnly)) return e;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            const QStringList words = QString::fromUtf8(raw).simplified().split(u' ');
            const QString& w = words.first();
            if (w == u"http404") e.httpStatus = 404;
            if (w == u"http500") e.httpStatus = 500;
            if (w == u"not-json") e.notJson = true;
            if (w == u"wrong-types") e.wrongTypes = true;
            if (w == u"soap-fault") e.soapFault = true;
            if (w == u"no-result") e.noResult = true;
            if (w == u"slow") e.slowMs = words.size() > 1 ? words.at(1).toInt() : 5000;
            if (w == u"no-reply") e.noReply = true;
            if (w == u"cut-body") e.cutBody = true;
            if (w == u"no-description") e.noDescription = true;
            if (w == u"http-description") e.httpDescription = true;
            if (w == u"huge") e.huge = true;
        }
        return e;
    }

    // Waits up to `ms`; false when the server is stopping meanwhile.
    bool hold(int ms) { return loopback.hold(ms); }

    void record(const httplib::Request& req, int status) {
        Recorded r;
        r.method = QString::fromStdString(req.method);
        r.target = QString::fromStdString(req.target);
        for (const auto& [name, value] : req.headers)
            r.headers.append({QString::fromStdString(name), QString::fromStdString(value)});
        r.body = QByteArray::fromStdString(req.body);
        r.status = status;
        std::lock_guard lock(mutex);
        log.append(r);
    }

    void send(httplib::Response& res, int status, const QString& body, const char* type, bool cut) {
        res.status = status;
        const std::string bytes = body.toStdString();
        if (!cut) {
            res.set_content(bytes, type);
            return;
        }
        // Promises the whole body, sends half of it, then drops the connection.
        res.set_content_provider(bytes.size(), type,
                                 [bytes](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset == 0) sink.write(bytes.data(), bytes.size() / 2);
                                     return false;
                                 });
    }

    // Runs a request through the switches that apply to every answer.
    template <typename Route>
    void serve(const httplib::Request& req, httplib::Response& res, Route route) {
        const Effective e = effective();
        if (e.noReply) {
            // Bounded, so a forgotten server still ends.
            hold(120000);
            res.status = 503;
            record(req, 0);
            return;
        }
        if (e.slowMs > 0 && !hold(e.slowMs)) {
            res.status = 503;
            record(req, 0);
            return;
        }
        if (e.httpStatus != 0) {
            send(res, e.httpStatus,
                 QStringLiteral("<html><body>error %1</body></html>").arg(e.httpStatus),
                 "text/html; charset=utf-8", e.cutBody);
        } else {
            route(e);
        }
        // Trailing blanks keep JSON and XML valid: only the size is wrong.
        if (e.huge && !e.cutBody) res.body.append(std::size_t(5) << 20, ' ');
        record(req, res.status);
    }

    QJsonObject patientFixture(const QString& id) const {
        return fixture.value(QStringLiteral("patients")).toObject().value(id).toObject();
    }

    // The API's answer to one request.
    void api(const httplib::Request& req, httplib::Response& res, const Effective& e) {
        auto reject = [&](const QString& why) {
            send(res, 400,
                 jsonText(QJsonObject{{"status", false}, {"code", "E400"}, {"description", why}}),
                 kJsonType, false);
        };
        if (req.get_header_value("Content-Type") != "application/json")
            return reject(QStringLiteral("Content-Type"));
        const std::optional<QString> text = fromCp950(QByteArray::fromStdString(req.body));
        const QJsonDocument doc = text ? QJsonDocument::fromJson(text->toUtf8()) : QJsonDocument();
        const QJsonObject o = doc.object();
        const QJsonObject person = o.value("Person").toObject();
        const QStringList personKeys = {"HospId", "SamId", "CardId",
                                        "Birth",  "Pid",   "RegisterPrevent"};
        const QString expected = QStringLiteral("{\"Token\":%1,\"Agree\":%2,\"Person\":%3}")
                                     .arg(jsonText(o.value("Token")), jsonText(o.value("Agree")),
                                          ordered(person, personKeys));
        if (!doc.isObject() || *text != expected) return reject(QStringLiteral("document"));
        for (const QString& k : personKeys)
            if (!person.value(k).isString()) return reject(k);

        const sim::Scene scene = sim::CardState::scene(options.simDir);
        if (!scene.card) return reject(QStringLiteral("no card"));
        const sim::PatientCard& card = *scene.card;
        if (person.value("Pid").toString() != card.id ||
            person.value("CardId").toString() != card.cardNo ||
            person.value("Birth").toString() != card.birthday ||
            person.value("HospId").toString() != scene.sam.hospId ||
            person.value("SamId").toString() != scene.sam.cardId)
            return reject(QStringLiteral("card values"));
        const QString token = o.value("Token").toString();
        {
            std::lock_guard lock(mutex);
            if (!token.startsWith(QLatin1String("BHP-")) || usedTokens.contains(token))
                return reject(QStringLiteral("token"));
            usedTokens.insert(token);
        }
        const QJsonValue agree = o.value("Agree");
        if (!agree.isNull() && !agree.isBool()) return reject(QStringLiteral("Agree"));

        const QJsonObject prevent = patientFixture(card.id).value("prevent").toObject();
        const char* key = agree.isNull() ? "first" : (agree.toBool() ? "agreed" : "refused");
        QJsonObject answer = prevent.value(key).toObject();
        if (answer.isEmpty())
            answer = {{"status", false}, {"code", "9999"}, {"description", "查無資格資料"}};
        QString body = jsonText(answer);
        if (e.wrongTypes) body = R"({"status":"true","code":401,"description":null})";
        if (e.notJson) body = QStringLiteral("<html><body>系統忙碌中</body></html>");
        send(res, 200, body, kJsonType, e.cutBody);
    }

    void description(const httplib::Request& req, httplib::Response& res, const Effective& e) {
        if (e.noDescription) {
            send(res, 404, QStringLiteral("<html><body>not found</body></html>"),
                 "text/html; charset=utf-8", false);
            return;
        }
        const std::string hostHeader = req.get_header_value("Host");
        const QString host = hostHeader.empty() ? QStringLiteral("127.0.0.1:%1").arg(port)
                                                : QString::fromStdString(hostHeader);
        const QString address =
            (e.httpDescription ? QStringLiteral("http://") : QStringLiteral("https://")) + host +
            QLatin1String(kSoapPath);
        const QString wsdl =
            QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
                "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\" "
                "xmlns:soap12=\"http://schemas.xmlsoap.org/wsdl/soap12/\" "
                "xmlns:s=\"http://www.w3.org/2001/XMLSchema\" xmlns:tns=\"http://localhost/\" "
                "targetNamespace=\"http://localhost/\">\n"
                " <wsdl:types><s:schema elementFormDefault=\"qualified\" "
                "targetNamespace=\"http://localhost/\">"
                "<s:element name=\"GetRefData\"><s:complexType><s:sequence>"
                "<s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"json\" type=\"s:string\"/>"
                "</s:sequence></s:complexType></s:element>"
                "<s:element name=\"GetRefDataResponse\"><s:complexType><s:sequence>"
                "<s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"GetRefDataResult\" "
                "type=\"s:string\"/>"
                "</s:sequence></s:complexType></s:element></s:schema></wsdl:types>\n"
                " <wsdl:message name=\"GetRefDataSoapIn\"><wsdl:part name=\"parameters\" "
                "element=\"tns:GetRefData\"/></wsdl:message>\n"
                " <wsdl:message name=\"GetRefDataSoapOut\"><wsdl:part name=\"parameters\" "
                "element=\"tns:GetRefDataResponse\"/></wsdl:message>\n"
                " <wsdl:portType name=\"IPIE0000S01Soap\"><wsdl:operation name=\"GetRefData\">"
                "<wsdl:input message=\"tns:GetRefDataSoapIn\"/><wsdl:output "
                "message=\"tns:GetRefDataSoapOut\"/>"
                "</wsdl:operation></wsdl:portType>\n"
                " <wsdl:binding name=\"IPIE0000S01Soap\" type=\"tns:IPIE0000S01Soap\">"
                "<soap:binding transport=\"http://schemas.xmlsoap.org/soap/http\"/>"
                "<wsdl:operation name=\"GetRefData\"><soap:operation "
                "soapAction=\"http://localhost/GetRefData\" style=\"document\"/>"
                "<wsdl:input><soap:body use=\"literal\"/></wsdl:input><wsdl:output><soap:body "
                "use=\"literal\"/></wsdl:output>"
                "</wsdl:operation></wsdl:binding>\n"
                " <wsdl:service name=\"IPIE0000S01\">\n"
                "  <wsdl:port name=\"IPIE0000S01Soap12\" binding=\"tns:IPIE0000S01Soap12\">"
                "<soap12:address location=\"https://%1/soap12-not-served\"/></wsdl:port>\n"
                "  <wsdl:port name=\"IPIE0000S01Soap\" binding=\"tns:IPIE0000S01Soap\">"
                "<soap:address location=\"%2\"/></wsdl:port>\n"
                " </wsdl:service>\n"
                "</wsdl:definitions>\n")
                .arg(host.toHtmlEscaped(), address.toHtmlEscaped());
        send(res, 200, wsdl, kXmlType, e.cutBody);
    }

    void soap(const httplib::Request& req, httplib::Response& res, const Effective& e) {
        auto fault = [&](const QString& why) {
            send(res, 500, soapFault("Client", why), kXmlType, false);
        };
        if (req.get_header_value("Content-Type") != kXmlType)
            return fault(QStringLiteral("Content-Type"));
        std::string action = req.get_header_value("SOAPAction");
        if (action.size() >= 2 && action.front() == '"' && action.back() == '"')
            action = action.substr(1, action.size() - 2);
        if (action != "http://localhost/GetRefData") return fault(QStringLiteral("SOAPAction"));
        const std::optional<QString> json = envelopeJson(QByteArray::fromStdString(req.body));
        if (!json) return fault(QStringLiteral("envelope"));
        const QJsonObject o = QJsonDocument::fromJson(json->toUtf8()).object();
        const QStringList keys = {"sHospId", "sPatId",        "sType",      "sRefSeq", "sHospSeq",
                                  "sCardId", "sClientRandom", "sSignature", "sSamId"};
        if (*json != ordered(o, keys)) return fault(QStringLiteral("json"));
        for (const QString& k : keys)
            if (!o.value(k).isString()) return fault(k);
        for (const char* k : {"sType", "sRefSeq", "sHospSeq"})
            if (!o.value(k).toString().isEmpty()) return fault(QString::fromLatin1(k));

        const sim::Scene scene = sim::CardState::scene(options.simDir);
        if (!scene.card) return fault(QStringLiteral("no card"));
        const sim::PatientCard& card = *scene.card;
        const QString random = o.value("sClientRandom").toString();
        if (o.value("sPatId").toString() != card.id ||
            o.value("sCardId").toString() != card.cardNo ||
            o.value("sSamId").toString() != scene.sam.cardId ||
            o.value("sHospId").toString() != scene.sam.hospId)
            return fault(QStringLiteral("card values"));
        if (random.isEmpty() || o.value("sSignature").toString() !=
                                    simsign::signature(random, card.cardNo, scene.sam.cardId))
            return fault(QStringLiteral("signature"));
        if (e.soapFault)
            return send(res, 500, soapFault("Server", QStringLiteral("系統維護中")), kXmlType,
                        false);

        const QJsonValue referrals = patientFixture(card.id).value("referrals");
        QJsonObject result;
        if (referrals.isArray()) {
            QJsonArray sub;
            for (const QJsonValue& r : referrals.toArray()) sub.append(QJsonObject{{"oEtData", r}});
            result.insert("sub", sub);
        } else {
            result.insert("sub", QJsonValue::Null);
        }
        QString text = jsonText(result);
        if (e.wrongTypes) text = R"({"sub":[{"oEtData":5}]})";
        if (e.notJson) text = QStringLiteral("查詢失敗");
        send(res, 200, soapReply(text, !e.noResult), kXmlType, e.cutBody);
    }
};

Server::Server(Options options) : d(std::make_unique<Impl>()) { d->options = std::move(options); }

Server::~Server() { stop(); }

Switches& Server::switches() { return d->switches; }
int Server::port() const { return d->port; }
QString Server::error() const { return d->error; }
QString Server::host() const { return QStringLiteral("127.0.0.1:%1").arg(d->port); }

QList<Recorded> Server::recorded() const {
    std::lock_guard lock(d->mutex);
    return d->log;
}

void Server::clearRecorded() {
    std::lock_guard lock(d->mutex);
    d->log.clear();
}

bool Server::start(int port) {
    stop();
    QFile file(d->options.fixtureFile);
    if (!file.open(QIODevice::ReadOnly)) {
        d->error = "cannot read " + d->options.fixtureFile;
        return false;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject()) {
        d->error = d->options.fixtureFile + ": not a JSON object";
        return false;
    }
    d->fixture = doc.object();
    if (!d->loopback.create(d->options.certFile, d->options.keyFile)) {
        d->error = d->loopback.error();
        return false;
    }
    Impl* impl = d.get();
    httplib::SSLServer& s = d->loopback.server();
    s.Post(kApiPath, [impl](const httplib::Request& req, httplib::Response& res) {
        impl->serve(req, res, [&](const Effective& e) { impl->api(req, res, e); });
    });
    s.Get(kSoapPath, [impl](const httplib::Request& req, httplib::Response& res) {
        impl->serve(req, res, [&](const Effective& e) {
            if (req.has_param("wsdl") || req.has_param("WSDL"))
                impl->description(req, res, e);
            else
                impl->send(res, 404, QStringLiteral("no such page"), "text/plain", false);
        });
    });
    s.Post(kSoapPath, [impl](const httplib::Request& req, httplib::Response& res) {
        impl->serve(req, res, [&](const Effective& e) { impl->soap(req, res, e); });
    });

    if (!d->loopback.listen(QStringLiteral("127.0.0.1"), port)) {
        d->error = d->loopback.error();
        d->port = 0;
        return false;
    }
    d->port = d->loopback.port();
    return true;
}

void Server::stop() {
    d->loopback.stop();
    d->port = 0;
}

}  // namespace services
