#include "card/code_tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>
#include <algorithm>

#include "card/drug_database.h"
#include "common/codepage.h"
#include "common/unknown_hospital.h"

namespace {

const QString kCodeTitle = QStringLiteral("醫事機構代碼");
const QString kNameTitle = QStringLiteral("醫事機構名稱");

// The header split at commas only; a title in double quotes loses them.
QStringList headerTitles(const QString& line) {
    QStringList titles = line.split(QLatin1Char(','));
    for (QString& t : titles) {
        if (t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"'))) {
            t = t.mid(1, t.size() - 2);
        }
    }
    return titles;
}

// The lines of the institution list, or nothing when its first line lacks the
// code title.
QStringList listLines(const QString& path) {
    QStringList lines = splitTextLines(LoadTxtFile(path));
    if (lines.isEmpty() || !lines.first().contains(kCodeTitle)) return {};
    return lines;
}

// Field `index` of a line by strict comma split, without its enclosing quotes;
// no wrap-around, so a short line matches no code.
QString codeField(const QString& line, qsizetype index) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < index; ++i) {
        const qsizetype comma = line.indexOf(QLatin1Char(','), start);
        if (comma < 0) return {};
        start = comma + 1;
    }
    qsizetype end = line.indexOf(QLatin1Char(','), start);
    if (end < 0) end = line.size();
    QString field = line.mid(start, end - start).trimmed();
    if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
        field = field.mid(1, field.size() - 2).trimmed();
    return field;
}

bool isPlainCode(const QString& code) {
    for (QChar c : code) {
        const char16_t u = c.unicode();
        const bool ok =
            (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9');
        if (!ok) return false;
    }
    return true;
}

}  // namespace

QString getStrOfStringArray(int Xindex, const QString& S, QChar quoteChar) {
    // Positions are 1-based and a search that finds nothing gives 0, so "just
    // past it" is 1, the line's start: the walk repeats every (separators + 1)
    // steps, which also bounds the loop for any index.
    const qsizetype separators = S.count(quoteChar);
    const qsizetype steps = Xindex > 0 ? Xindex % (separators + 1) : 0;
    qsizetype y = 1;
    for (qsizetype i = 0; i < steps; ++i) {
        const qsizetype at = S.indexOf(quoteChar, y - 1);
        y = (at < 0 ? 0 : at + 1) + 1;
    }
    const qsizetype at = S.indexOf(quoteChar, y - 1);
    const qsizetype e = at < 0 ? S.size() + 1 : at + 1;
    const qsizetype length = e - y - 2;
    if (length <= 0 || y >= S.size()) return {};
    return S.mid(y, length);
}

QString LoadTxtFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();

    if (bytes.startsWith("\xFF\xFE")) {
        QByteArrayView rest = QByteArrayView(bytes).sliced(2);
        rest = rest.first(rest.size() & ~qsizetype(1));  // an odd last byte is ignored
        QStringDecoder decode(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        return decode(rest);
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.sliced(3));
    // The UTF-8 form of "醫", the first character of the list's header: such a
    // file was saved as UTF-8 without a mark.
    if (bytes.startsWith("\xE9\x86\xAB")) return QString::fromUtf8(bytes);
    return fromAnsi(bytes);
}

QStringList splitTextLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

// ---- CHospitalSet ----------------------------------------------------------

void CHospitalSet::CreateHospitalSet(const QString& appPath) {
    rows_.clear();
    checkIndex_.clear();

    const QStringList lines = listLines(QDir(appPath).filePath(kHospitalListFile));
    if (lines.isEmpty()) return;

    const QStringList titles = headerTitles(lines.first());
    // A missing title gives -1, which the field splitter reads as field 0.
    const int codeColumn = int(titles.indexOf(kCodeTitle));
    const int nameColumn = int(titles.indexOf(kNameTitle));

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.trimmed().isEmpty()) continue;
        Row row;
        row.INSUCODE = getStrOfStringArray(codeColumn, line, QLatin1Char(',')).left(10);
        row.CNAME = getStrOfStringArray(nameColumn, line, QLatin1Char(',')).left(127);
        if (!checkIndex_.contains(row.INSUCODE)) checkIndex_.insert(row.INSUCODE, rows_.size());
        rows_.append(std::move(row));
    }
}

QString CHospitalSet::HosCodeToName(const QString& code) const {
    if (code.trimmed().isEmpty()) return {};
    const auto it = checkIndex_.constFind(code);
    if (it == checkIndex_.constEnd()) return unknownHospitalName();
    return rows_.at(*it).CNAME.trimmed();
}

// ---- getHospitalName -------------------------------------------------------

HospitalNames::HospitalNames(QString appPath) : path_(QDir(appPath).filePath(kHospitalListFile)) {}

void HospitalNames::refresh() {
    const QFileInfo info(path_);
    Stamp now;
    now.exists = info.isFile();
    if (now.exists) {
        now.size = info.size();
        now.modified = info.lastModified();
        now.changed = info.metadataChangeTime();
    }
    if (loaded_ && now == stamp_) return;

    loaded_ = true;
    stamp_ = now;
    valid_ = false;
    names_.clear();
    if (!now.exists) return;

    ++parseCount_;
    const QStringList lines = listLines(path_);
    if (lines.size() < 10) return;
    valid_ = true;

    const QStringList titles = headerTitles(lines.first());
    const int nameColumn = std::max(0, int(titles.indexOf(kNameTitle)));
    const qsizetype codeColumn = std::max<qsizetype>(0, titles.indexOf(kCodeTitle));
    names_.reserve(lines.size());
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty()) continue;
        const QString code = codeField(line, codeColumn);
        if (code.isEmpty() || names_.contains(code)) continue;  // the first line wins
        names_.insert(code, getStrOfStringArray(nameColumn, line, QLatin1Char(',')));
    }
}

QString HospitalNames::getHospitalName(const QString& code) {
    // Every line "contains" the empty text; an empty code has no name.
    const QString key = code.trimmed();
    if (key.isEmpty()) return {};
    refresh();
    if (!valid_) return code;
    const auto it = names_.constFind(key);
    return it == names_.constEnd() ? code : *it;
}

// ---- ICD10ToEname ----------------------------------------------------------

DiagnosisDatabase::DiagnosisDatabase(const QString& appPath)
    : db_(std::make_unique<ReadOnlyDatabase>(QDir(appPath).filePath(kDiagnosisDatabaseFile))) {}

DiagnosisDatabase::~DiagnosisDatabase() = default;

DiagnosisName DiagnosisDatabase::lookup(const QString& code) {
    DiagnosisName result;
    const QString key = code.trimmed();
    // Only plain codes are looked up: "J06.9" or the placeholder "[XXXXXXX]" have
    // no name, and nothing but letters and digits ever reaches the query.
    if (key.isEmpty() || !isPlainCode(key)) return result;

    result.text = QString::fromLatin1(kUnknownIcd10Text);
    std::optional<QSqlQuery> query =
        db_->prepare(QStringLiteral("select SNAME, ENAME from DX where ICD10 = ? collate nocase"));
    if (!query) {
        result.status = DiagnosisStatus::Unavailable;
        error_ = db_->errorText();
        return result;
    }
    query->bindValue(0, key);
    if (!query->exec()) {
        result.status = DiagnosisStatus::Unavailable;
        error_ = query->lastError().text();
        return result;
    }
    if (!query->next()) {
        result.status = DiagnosisStatus::NotFound;
        return result;
    }
    QString name = query->value(0).toString().trimmed();
    if (name.isEmpty()) name = query->value(1).toString().trimmed();
    // Keep the separators of the card's diagnosis texts and of quoted values out
    // of the names.
    name.replace(QLatin1Char(','), QLatin1Char(' '));
    name.replace(QLatin1Char('\''), QLatin1Char('"'));
    for (QChar c : {QLatin1Char('^'), QLatin1Char('~'), QLatin1Char('`')})
        name.replace(c, QLatin1Char(' '));
    result.status = DiagnosisStatus::Found;
    result.text = name;
    return result;
}
