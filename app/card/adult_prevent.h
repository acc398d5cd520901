#pragma once
// The adult preventive-care eligibility query: the patient and institution data
// through the health-promotion library, one JSON POST to the health-promotion
// API, and a second one carrying the patient's consent when the answer asks for it.
// The answer's description is what the window shows after the patient's name.

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class HealthPromotionLibrary;
class HttpTransport;
class Prompts;

// The data sent about the patient.
struct THCdata {
    QString HospID;
    QString SamID;
    QString HCSN;
    QString ID;
    QString BirthYM;
    QString PreventData;
};

struct TApiResponse {
    bool Status = false;
    QString sCode;
    QString Description;
};

namespace adult_prevent {

inline const QString kNoCardData = QStringLiteral("讀不到健保卡資料");
inline const QString kCannotOpenReader = QStringLiteral("無法開啟健保卡讀卡機");
inline const QString kConsentQuestion = QStringLiteral("知情同意?");
inline const QString kBadAnswer = QStringLiteral("成健資格查詢回應格式錯誤");
inline const QString kNoHost =
    QStringLiteral("未設定成健資格查詢主機(tolvane.ini [endpoints] preventApiHost),不查詢成健資格");
inline const QString kNoLibrary = QStringLiteral("無法載入HpaBhp,不查詢成健資格");
inline const QString kApiPath = QStringLiteral("/bhpApi/api");
inline const QString kValidAction = QStringLiteral("/All/Valid");

// The buffers of the library's calls.
inline constexpr int kHospIdBytes = 10;
inline constexpr int kCardNoBytes = 12;
inline constexpr int kBasicDataBytes = 72;
inline constexpr int kAreaBytes = 256;
inline constexpr int kPreventBytes = 126;

// The request document as JSON text (UTF-8, no white space, members in order).
// `agree` empty writes null.
QByteArray requestJson(const QString& token, std::optional<bool> agree, const THCdata& data);

// The answer's bytes as UTF-8 text; bad sequences become replacement characters.
QString DecodeUtf8Str(const QByteArray& bytes);

enum class AnswerShape { NotAnObject, BadMembers, Complete };
struct ParsedAnswer {
    AnswerShape shape = AnswerShape::NotAnObject;
    TApiResponse response;
};
// "status" (Boolean), "code" and "description" (strings) of an answer object.
ParsedAnswer parseAnswer(const QByteArray& utf8);

// "04" as the code's first two characters, or a three-character code whose
// second and third are "04".
bool asksConsent(const QString& code);

}  // namespace adult_prevent

class AdultPreventQuery {
  public:
    AdultPreventQuery(HealthPromotionLibrary& library, HttpTransport& http, Prompts& prompts);

    // host[:port] of the API; empty: not configured.
    void setHost(const QString& host) { host_ = host; }

    // The text to show after the name. `readBasicData` reads the patient card's
    // basic data into the patient record (false when it cannot).
    QString getAdultPrevent(const std::function<bool()>& readBasicData);
    // Collects HCdata; false when the card or the reader cannot be read.
    bool GetHcData(const std::function<bool()>& readBasicData);
    // The answer of the action, after the consent request when one was asked for;
    // std::nullopt when an answer object lacked members (its message shown).
    std::optional<TApiResponse> RequestApiX(const QString& action);

    THCdata HCdata;

  private:
    // One POST; nullopt for an answer object with missing or mistyped members.
    std::optional<TApiResponse> post(const QString& action, std::optional<bool> agree);
    // Says once per run why the query is not made.
    void sayOnce(const QString& text);

    HealthPromotionLibrary& library_;
    HttpTransport& http_;
    Prompts& prompts_;
    QString host_;
    bool said_ = false;
};
