#include "card/drug_database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QVariant>
#include <array>
#include <atomic>

namespace {

QString nextConnectionName() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("tolvane-readonly-%1").arg(++counter);
}

}  // namespace

ReadOnlyDatabase::ReadOnlyDatabase(QString filePath)
    : path_(std::move(filePath)), connection_(nextConnectionName()) {}

ReadOnlyDatabase::~ReadOnlyDatabase() {
    if (!QSqlDatabase::contains(connection_)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool ReadOnlyDatabase::open() {
    if (open_) return true;
    // SQLite would create a missing file; a missing database must stay missing.
    if (!QFileInfo(path_).isFile()) {
        error_ = QStringLiteral("database file not found: %1").arg(QDir::toNativeSeparators(path_));
        return false;
    }
    if (!QSqlDatabase::contains(connection_)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(path_);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.isValid()) {
        error_ = QStringLiteral("the SQLite driver is not available");
        return false;
    }
    if (!db.open()) {
        error_ = db.lastError().text();
        return false;
    }
    open_ = true;
    return true;
}

std::optional<QSqlQuery> ReadOnlyDatabase::prepare(const QString& text) {
    if (!open()) return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    if (!query.prepare(text)) {
        error_ = query.lastError().text();
        return std::nullopt;
    }
    return query;
}

QString unknownInsuranceCodeMessage(const QString& code) {
    return QStringLiteral("含不明健保碼:") + code;
}

namespace {

enum class Table { Medicine, Opd, Vaccine, Material };

struct TableQuery {
    Table table;
    const char* text;
};

// Codes compare without regard to case, as the clinics' Access files do; the
// databases we build carry matching indexes.
constexpr std::array<TableQuery, 4> kTables{{
    {Table::Medicine, "select ENAME from medicine where INSUCODE = ? collate nocase"},
    {Table::Opd, "select ENAME, CNAME from OPD where INSUCODE = ? collate nocase"},
    {Table::Vaccine, "select ENAME from Vaccine where INSUCODE = ? collate nocase"},
    {Table::Material, "select OBJECTNAME from material where INSUCODE = ? collate nocase"},
}};

QString nameFromRow(Table table, const QSqlQuery& query) {
    if (table == Table::Opd) {
        const QString ename = query.value(0).toString().trimmed();
        return ename.isEmpty() ? query.value(1).toString().trimmed() : ename;
    }
    return query.value(0).toString();
}

}  // namespace

struct DrugDatabase::Queries {
    std::array<std::optional<QSqlQuery>, 4> prepared;
};

DrugDatabase::DrugDatabase(const QString& appPath)
    : db_(std::make_unique<ReadOnlyDatabase>(QDir(appPath).filePath(kDrugDatabaseFile))),
      queries_(std::make_unique<Queries>()) {}

DrugDatabase::~DrugDatabase() { queries_.reset(); }

InsuranceCodeName DrugDatabase::nameOf(const QString& code) {
    InsuranceCodeName result;
    result.name = code;
    // An empty slot has nothing to look up, and must not raise a message.
    if (code.trimmed().isEmpty()) return result;

    auto fail = [&](const QString& why) {
        result.status = InsuranceCodeName::Status::Failed;
        result.errorText = why;
        return result;
    };
    if (!db_->open()) return fail(db_->errorText());

    for (std::size_t i = 0; i < kTables.size(); ++i) {
        auto& query = queries_->prepared[i];
        if (!query) {
            query = db_->prepare(QString::fromLatin1(kTables[i].text));
            if (!query) return fail(db_->errorText());
        }
        query->bindValue(0, code);
        if (!query->exec()) {
            const QString why = query->lastError().text();
            query->finish();
            return fail(why);
        }
        if (query->next()) {
            result.name = nameFromRow(kTables[i].table, *query);
            result.status = InsuranceCodeName::Status::Found;
            query->finish();
            return result;
        }
        query->finish();
    }
    return result;
}
