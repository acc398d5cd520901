#pragma once
// Code tables: institution codes to names from "hospbsc.txt", ICD-10 codes to
// names from the diagnosis database, and the two text helpers that reading the
// institution list needs.
//
// Every class takes the program folder; nothing here is global.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class ReadOnlyDatabase;

// File names in the program folder.
inline constexpr char kHospitalListFile[] = "hospbsc.txt";
inline constexpr char kDiagnosisDatabaseFile[] = "ICD10CM.sqlite";

// Field `Xindex` (0-based) of a line whose fields are separated by `quoteChar`
// and each wrapped in one enclosing character on either side. A line with too
// few fields wraps round to its start (stored lists rely on that reading).
QString getStrOfStringArray(int Xindex, const QString& S, QChar quoteChar);

// The whole text of a file: FF FE starts UTF-16LE, EF BB BF starts UTF-8, a file
// that begins with the UTF-8 form of "醫" is UTF-8 as well; anything else is the
// ANSI code page. A missing or unreadable file gives empty text.
QString LoadTxtFile(const QString& fileName);

// Lines of a text as a line list reads them: CR LF, LF or CR end a line, and a
// final line ending does not add an empty line.
QStringList splitTextLines(const QString& text);

// The institution table built once at start and used while the card is read.
class CHospitalSet {
  public:
    // Drops what the table held and fills it from "hospbsc.txt" in `appPath`.
    // A missing file, an empty one or one without the code title leaves it empty.
    void CreateHospitalSet(const QString& appPath);

    // Empty text for a blank code, "(不明院所)" for an unknown one, otherwise the
    // name of the first row with exactly this code, trimmed.
    QString HosCodeToName(const QString& code) const;

    qsizetype rowCount() const { return rows_.size(); }

  private:
    struct Row {
        QString INSUCODE;  // up to 10 characters
        QString CNAME;     // up to 127 characters
    };
    QList<Row> rows_;
    QHash<QString, qsizetype> checkIndex_;  // INSUCODE -> first row with it
};

// getHospitalName: the institution name for the pages. The file is parsed once
// and the result reused while its size and time stamps stay the same, so a
// changed list takes effect at the next call without re-reading tens of
// thousands of lines for every name.
class HospitalNames {
  public:
    explicit HospitalNames(QString appPath);

    // Empty text for a blank code; the code itself when the list is missing,
    // damaged (under 10 lines or no code title) or has no line with that code in
    // its code column.
    QString getHospitalName(const QString& code);

    // How often the file has been parsed (for diagnostics and tests).
    int parseCount() const { return parseCount_; }

  private:
    struct Stamp {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
        QDateTime changed;
        bool operator==(const Stamp&) const = default;
    };
    void refresh();

    QString path_;
    bool loaded_ = false;
    Stamp stamp_;
    bool valid_ = false;
    QHash<QString, QString> names_;  // code -> name of the first line with it
    int parseCount_ = 0;
};

// The outcome of a diagnosis look-up. `Unavailable` (no database file, not a
// database, no table DX) is distinct from `NotFound`, so that a card read can
// report the missing database once and go on with the unknown-code text.
enum class DiagnosisStatus { Found, NotFound, NotLookedUp, Unavailable };

struct DiagnosisName {
    DiagnosisStatus status = DiagnosisStatus::NotLookedUp;
    QString text;  // what ICD10ToEname returns
};

inline constexpr char kUnknownIcd10Text[] = "(unknown ICD10 code)";

// ICD10ToEname on "ICD10CM.sqlite" in the program folder, read-only. The
// connection belongs to the object; an unavailable database is tried again at
// the next call, so a file put in place later is found.
class DiagnosisDatabase {
  public:
    explicit DiagnosisDatabase(const QString& appPath);
    ~DiagnosisDatabase();
    DiagnosisDatabase(const DiagnosisDatabase&) = delete;
    DiagnosisDatabase& operator=(const DiagnosisDatabase&) = delete;

    // A blank code, or one with anything but ASCII letters and digits (such as
    // "J06.9" or the placeholder "[XXXXXXX]"), gives empty text and no query.
    // A code with no row, or an unavailable database, gives "(unknown ICD10 code)".
    DiagnosisName lookup(const QString& code);
    QString ICD10ToEname(const QString& code) { return lookup(code).text; }

    // Why the last look-up found the database unavailable.
    QString errorText() const { return error_; }

  private:
    std::unique_ptr<ReadOnlyDatabase> db_;
    QString error_;
};
