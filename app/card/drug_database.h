#pragma once
// The drug database "MX.sqlite" in the program folder (tables medicine, OPD,
// Vaccine and material, keyed by INSUCODE) and the read-only SQLite connection
// that it and the diagnosis database share.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <memory>
#include <optional>

inline constexpr char kDrugDatabaseFile[] = "MX.sqlite";

// One SQLite file opened read-only through Qt SQL under a connection name of its
// own, so that any number of these can live side by side. Opening never creates
// the file.
class ReadOnlyDatabase {
  public:
    explicit ReadOnlyDatabase(QString filePath);
    ~ReadOnlyDatabase();
    ReadOnlyDatabase(const ReadOnlyDatabase&) = delete;
    ReadOnlyDatabase& operator=(const ReadOnlyDatabase&) = delete;

    // Opens on first use; false (with errorText) when the file is missing or
    // cannot be opened. A file that is not a database shows at the first query.
    bool open();
    bool isOpen() const { return open_; }
    // A forward-only query prepared on the connection; nullopt and errorText when
    // the text does not prepare (a missing table or column).
    std::optional<QSqlQuery> prepare(const QString& text);

    const QString& filePath() const { return path_; }
    const QString& errorText() const { return error_; }

  private:
    QString path_;
    QString connection_;
    bool open_ = false;
    QString error_;
};

// The name of an insurance code, as the prescription lists show it.
struct InsuranceCodeName {
    enum class Status {
        Found,     // a table had a row; `name` is its name
        NotFound,  // no table has the code (or the code is blank); `name` is the code
        Failed,    // the database or a table could not be read; `name` is the code
    };
    Status status = Status::NotFound;
    QString name;
    QString errorText;  // for Failed
};

// The message shown when a look-up fails.
QString unknownInsuranceCodeMessage(const QString& code);

// Looks codes up in medicine, OPD, Vaccine and material, in that order; the first
// table with a row decides. One object serves all look-ups of one page fill and
// keeps its connection and prepared queries until it is destroyed.
class DrugDatabase {
  public:
    explicit DrugDatabase(const QString& appPath);
    ~DrugDatabase();
    DrugDatabase(const DrugDatabase&) = delete;
    DrugDatabase& operator=(const DrugDatabase&) = delete;

    InsuranceCodeName nameOf(const QString& code);

  private:
    struct Queries;
    // Declared in this order so that the queries go before their connection.
    std::unique_ptr<ReadOnlyDatabase> db_;
    std::unique_ptr<Queries> queries_;
};
