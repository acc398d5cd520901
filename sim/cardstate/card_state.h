#pragma once
// Which simulated card sits in the simulated reader, and what is on it.
//
// The program folder holds two files: "sim-cards.json", the fixture describing the
// reader, the SAM, the professional's card and every patient card in readable form, and
// "sim-card.txt", holding the key of the card that is inserted (empty or "none": no card).
// Both are read again on every call, so editing the state file "inserts another card" at
// once, for every stand-in that links this library.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace sim {

inline constexpr const char* kFixtureFile = "sim-cards.json";
inline constexpr const char* kStateFile = "sim-card.txt";
inline constexpr const char* kDirVariable = "TOLVANE_SIM_DIR";

struct Visit {
    QString dateTime;  // ROC date and time, 13 digits: YYYMMDDhhmmss
    QString type;      // visit type code, e.g. "01"
    QString newborn;   // newborn mark, one character
    QString returnCard;
    QString serial;                                            // visit serial number, 4 characters
    QString hospital;                                          // institution code, 10 digits
    QString opdFee, opdPart, admFee, admPartLow, admPartHigh;  // digits
    // Main code, then up to five sub codes; std::nullopt leaves the caller's slot untouched.
    QList<std::optional<QString>> dx;
};

struct CriticalIllness {
    QString code, start, end;
};

struct Prescription {
    QString dateTime;  // the visit it belongs to, 13 digits
    QString orderType, code, site, usage, days, total, dispensing;
};

struct LongTermDrug {
    QString issueDate, code, usage, days, total;
};

struct MajorOrder {
    QString date, hospital, code, site, total;
};

struct PreventiveCare {
    QString type, date, hospital, exam;
};

struct PregnancyExam {
    QString date, hospital, exam;
};

struct CumulativeYear {
    QString year, visits, opdFee, admFee, opdPart, admPartLow, admPartHigh, allPart, allPartLow;
};

struct Inoculation {
    QString code, date, hospital, lot;
};

// A patient's card. Dates are ROC dates of seven digits (year - 1911, month, day).
struct PatientCard {
    QString key;           // the key in the fixture and the state file
    bool present = false;  // false: the key names an empty reader
    QString cardNo;        // 12 characters; also the card ID that web requests sign with
    QString name;
    QString id;        // national ID, 10 characters
    QString birthday;  // ROC date
    QString sex;       // "M" or "F"
    QString issueDay, cancelMark, insurer, insuredMark, validDate, availableCount;
    QString newbornDate, newbornMark, emergencyTel;
    QList<Visit> visits;  // newest first, at most six
    QList<CriticalIllness> criticalIllnesses;
    QList<Prescription> prescriptions;
    QList<LongTermDrug> longTermDrugs;
    QList<MajorOrder> majorOrders;
    QStringList allergies;
    QList<PreventiveCare> preventiveCare;
    QList<PregnancyExam> pregnancyExams;
    QList<CumulativeYear> cumulative;
    QString cumulativeOpdFee, cumulativeAdmFee;
    QList<Inoculation> inoculations;
    QString organDonation;  // one mark byte
};

struct ReaderState {
    bool portOpens = true;
    int32_t version = 5230;  // what the control software reports as its version
};

struct SamState {
    bool present = true;
    bool isSam = true;           // false: another card sits in the SAM slot
    bool authenticated = false;  // authenticated with the identity centre already
    int32_t verifyResult = 0;    // what the authentication answers
    QString hospId;              // institution code, 10 digits
    QString cardId;              // the SAM's card number, 12 characters
};

struct HpcState {
    bool present = true;
    bool faulty = false;
    int32_t status = 1;  // 1 not verified, 2 PIN not verified, 3 verified
    QString id;          // the professional's national ID
    QString cardId;
    QList<int32_t> pinResults{0};  // answers of the PIN verification, in order; the last repeats
};

// Everything the stand-ins need for one call: the devices merged with the overrides of
// the inserted card, the card itself, and the result codes forced per entry point.
struct Scene {
    QString dir;
    QString cardKey;  // empty: no card
    QString error;    // why the fixture could not be used (then no SAM and no card)
    ReaderState reader;
    SamState sam;
    HpcState hpc;
    std::optional<PatientCard> card;  // present cards only
    QMap<QString, QList<int32_t>> results;
};

class CardState {
  public:
    // TOLVANE_SIM_DIR when set, otherwise the folder of the binary that holds this code.
    static QString defaultDir();
    // The key named by the state file, trimmed; empty when none is inserted.
    static QString currentCardKey(const QString& dir);
    // The patient whose card is inserted, or std::nullopt for none (or a broken fixture).
    static std::optional<PatientCard> load(const QString& dir);
    static Scene scene(const QString& dir);
    // The card keys the fixture offers, in file order.
    static QStringList cardKeys(const QString& dir);
    // Inserts the card `key` (empty: removes the card); written atomically.
    static bool insert(const QString& dir, const QString& key);
};

}  // namespace sim
