#pragma once
// The documents of the referral query: the request JSON, the SOAP envelope around
// it, the service description that names the endpoint, the SOAP reply, the reply
// JSON with its comma-separated record fields, and the VPN add-on component's card
// list. Each reader gives std::nullopt (or an empty address) for a document it
// cannot use; none of them throws or reads past its input.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace referral {

inline const QString kService = QStringLiteral("IPIE0000S01");
inline const QString kPort = QStringLiteral("IPIE0000S01Soap");
inline const QString kNamespace = QStringLiteral("http://localhost/");
inline const QByteArray kSoapAction = "\"http://localhost/GetRefData\"";
inline const QString kDescriptionPath = QStringLiteral("/ipie0000/IPIE0000S01.asmx");
inline const QString kSoapEnvelopeNs = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
inline const QString kJoin = QStringLiteral("~~");
// An entry is used only with at least this many fields.
inline constexpr int kMinFields = 10;

struct Request {
    QString sHospId;
    QString sPatId;
    QString sCardId;
    QString sClientRandom;
    QString sSignature;
    QString sSamId;
};

// The nine string members in their order, no white space; sType, sRefSeq and
// sHospSeq are always empty.
QByteArray requestJson(const Request& request);

// SOAP 1.1, document/literal, UTF-8: GetRefData with its one element "json".
QByteArray soapEnvelope(const QString& json);

// The soap:address of port IPIE0000S01Soap of service IPIE0000S01, as written;
// empty when the description is not well-formed or lacks it.
QString serviceEndpoint(const QByteArray& description);

// The text of GetRefDataResult in a SOAP reply; nullopt for a fault, a reply
// without the element, or one that is not well-formed XML.
std::optional<QString> soapResult(const QByteArray& reply);

// The record text of a reply: field 0 of every entry with enough fields, joined by
// "~~". "sub" null or "null" (any case) gives empty text; nullopt when the reply is
// not a JSON object, "sub" is missing or no array, or an entry has no string "oEtData".
std::optional<QString> referralText(const QString& replyJson);

// Fields at commas. A field that begins with a double quote runs to its closing
// quote (a doubled quote inside is one quote; an unclosed one runs to the end),
// and whatever follows the closing quote up to the next comma is kept with it.
QStringList splitFields(const QString& text);

struct CardIds {
    QString samId;   // "AllCardsInfoInCS"."SAM"[0]."CARD_ID"
    QString cardId;  // "AllCardsInfoInCS"."HC"[0]."CARD_ID"
};
// nullopt unless both identifiers are there as strings.
std::optional<CardIds> parseCardList(const QString& json);

}  // namespace referral
