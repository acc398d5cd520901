#include "card/code_tables.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "common/codepage.h"

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray utf16le(const QString& text) {
    QByteArray out;
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

// Header and institution lines as the insurer publishes them: the code in the
// second column, the name in the third and last.
const QString kHeader = QStringLiteral("\"分區別\",\"醫事機構代碼\",\"醫事機構名稱\"");

QString hospitalLine(const QString& region, const QString& code, const QString& name) {
    return QStringLiteral("\"%1\",\"%2\",\"%3\"").arg(region, code, name);
}

// A list of ten or more lines, in CP950 unless told otherwise.
QString hospitalList() {
    QStringList lines{kHeader};
    // An earlier line holds 0401180014 in another column: it must not answer for it.
    lines << hospitalLine(QStringLiteral("0401180014"), QStringLiteral("1101010012"),
                          QStringLiteral("北辰聯合醫院"));
    lines << hospitalLine(QStringLiteral("中區"), QStringLiteral("0401180014"),
                          QStringLiteral("中港醫學中心"));
    lines << hospitalLine(QStringLiteral("中區"), QStringLiteral("3501200000"),
                          QStringLiteral("  晴川診所  "));
    lines << QString();  // blank lines are skipped
    lines << hospitalLine(QStringLiteral("中區"), QStringLiteral("3501200000"),
                          QStringLiteral("重複的代碼"));
    lines << QStringLiteral("\"9999999999\"");  // too few fields: the splitter wraps
    for (int i = 0; i < 5; ++i)
        lines << hospitalLine(QStringLiteral("北區"), QStringLiteral("310000000%1").arg(i),
                              QStringLiteral("診所%1").arg(i));
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

class CodeTablesTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString listPath() const { return dir.filePath(kHospitalListFile); }
    void writeList(const QString& text) { writeBytes(listPath(), toAnsi(text)); }
};

// ---- getStrOfStringArray ---------------------------------------------------

TEST(GetStrOfStringArray, FieldsWrapAndShortFields) {
    const QString three = QStringLiteral("\"A01\",\"Clinic\",\"X\"");
    struct Case {
        int index;
        QString line;
        QString expected;
    };
    const Case cases[] = {
        {0, three, QStringLiteral("A01")},
        {1, three, QStringLiteral("Clinic")},
        {2, three, QStringLiteral("X")},    // the last field ends at the line's end
        {3, three, QStringLiteral("A01")},  // past the last field: back to the start
        {4, three, QStringLiteral("Clinic")},
        {-1, three, QStringLiteral("A01")},            // a missing title reads field 0
        {1, QStringLiteral("\"A\",\"\""), QString()},  // only the two enclosing quotes
        {1, QStringLiteral("\"A\",B"), QString()},     // a one-character field
        {0, QString(), QString()},
        {2, QStringLiteral("\"A\",,\"C\""), QStringLiteral("C")},
        // A huge index costs no more than a small one.
        {1000000000, three, QStringLiteral("Clinic")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(getStrOfStringArray(c.index, c.line, QLatin1Char(',')), c.expected)
            << c.index << " " << c.line.toStdString();
    }
}

// ---- LoadTxtFile -----------------------------------------------------------

TEST_F(CodeTablesTest, LoadTxtFileDecodesByLeadingBytes) {
    const QString text = QStringLiteral("醫事機構代碼,名稱\r\n甲");
    struct Case {
        const char* what;
        QByteArray bytes;
        QString expected;
    };
    const Case cases[] = {
        {"UTF-16LE mark", QByteArray("\xFF\xFE") + utf16le(text), text},
        {"UTF-16LE, odd last byte", QByteArray("\xFF\xFE") + utf16le(text) + 'x', text},
        {"UTF-8 mark", QByteArray("\xEF\xBB\xBF") + text.toUtf8(), text},
        {"UTF-8 without mark", text.toUtf8(), text},
        {"ANSI", toAnsi(text), text},
        // Only a whole mark counts; two bytes of one are ANSI text.
        {"short of a mark", QByteArray("\xEF\xBB"), fromAnsi(QByteArray("\xEF\xBB"))},
        {"empty", QByteArray(), QString()},
    };
    for (const Case& c : cases) {
        writeBytes(listPath(), c.bytes);
        EXPECT_EQ(LoadTxtFile(listPath()), c.expected) << c.what;
    }
    EXPECT_EQ(LoadTxtFile(dir.filePath(QStringLiteral("missing.txt"))), QString());
}

TEST(SplitTextLines, EveryLineEnding) {
    EXPECT_EQ(splitTextLines(QStringLiteral("a\r\nb\nc\rd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitTextLines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{"a", "", "b"}));
    EXPECT_TRUE(splitTextLines(QString()).isEmpty());
}

// ---- CHospitalSet ----------------------------------------------------------

TEST_F(CodeTablesTest, HosCodeToNameLooksUpExactCodes) {
    writeList(hospitalList());
    CHospitalSet set;
    set.CreateHospitalSet(dir.path());

    const std::pair<QString, QString> cases[] = {
        {QString(), QString()},
        {QStringLiteral("   "), QString()},
        {QStringLiteral("0401180014"), QStringLiteral("中港醫學中心")},
        {QStringLiteral("3501200000"), QStringLiteral("晴川診所")},  // first row, trimmed
        {QStringLiteral("1101010012"), QStringLiteral("北辰聯合醫院")},
        {QStringLiteral("040118001"), QStringLiteral("(不明院所)")},  // exact, not a prefix
        {QStringLiteral("5555555555"), QStringLiteral("(不明院所)")},
        {QStringLiteral("9999999999"), QStringLiteral("9999999999")},  // the wrapped line
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(set.HosCodeToName(code), name) << code.toStdString();
}

TEST_F(CodeTablesTest, HospitalSetStaysEmptyWithoutUsableList) {
    CHospitalSet set;
    set.CreateHospitalSet(dir.path());  // no file
    EXPECT_EQ(set.rowCount(), 0);

    writeList(hospitalList());
    set.CreateHospitalSet(dir.path());
    EXPECT_GT(set.rowCount(), 0);

    // A list without the code title empties the table of an earlier fill.
    writeList(QStringLiteral("\"代碼\",\"名稱\"\r\n\"0401180014\",\"中港醫學中心\"\r\n"));
    set.CreateHospitalSet(dir.path());
    EXPECT_EQ(set.rowCount(), 0);
    EXPECT_EQ(set.HosCodeToName(QStringLiteral("0401180014")), QStringLiteral("(不明院所)"));
}

// ---- getHospitalName -------------------------------------------------------

TEST_F(CodeTablesTest, GetHospitalNameMatchesTheCodeColumn) {
    writeList(hospitalList());
    HospitalNames names(dir.path());
    const std::pair<QString, QString> cases[] = {
        {QString(), QString()},  // every line "contains" the empty text
        {QStringLiteral("  "), QString()},
        // The earlier line with the code in its region column does not count.
        {QStringLiteral("0401180014"), QStringLiteral("中港醫學中心")},
        {QStringLiteral("3501200000"), QStringLiteral("  晴川診所  ")},  // first line, as stored
        {QStringLiteral("3100000004"), QStringLiteral("診所4")},         // the list's last line
        {QStringLiteral("中區"), QStringLiteral("中區")},  // text of another column only
        {QStringLiteral("5555555555"), QStringLiteral("5555555555")},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(names.getHospitalName(code), name) << code.toStdString();
}

TEST_F(CodeTablesTest, GetHospitalNameAcceptsMarkedUnicodeLists) {
    const QString list = hospitalList();
    const QByteArray files[] = {QByteArray("\xEF\xBB\xBF") + list.toUtf8(),
                                QByteArray("\xFF\xFE") + utf16le(list)};
    for (const QByteArray& bytes : files) {
        writeBytes(listPath(), bytes);
        EXPECT_EQ(HospitalNames(dir.path()).getHospitalName(QStringLiteral("0401180014")),
                  QStringLiteral("中港醫學中心"));
    }
}

TEST_F(CodeTablesTest, GetHospitalNameGivesTheCodeForADamagedList) {
    const QString code = QStringLiteral("0401180014");
    QStringList nine = hospitalList().split(QStringLiteral("\r\n")).mid(0, 9);
    QString noTitle = hospitalList();
    noTitle.replace(QStringLiteral("醫事機構代碼"), QStringLiteral("代碼"));
    const QString lists[] = {nine.join(QStringLiteral("\r\n")), noTitle, QString()};
    for (const QString& list : lists) {
        writeList(list);
        EXPECT_EQ(HospitalNames(dir.path()).getHospitalName(code), code);
    }
    QFile::remove(listPath());
    EXPECT_EQ(HospitalNames(dir.path()).getHospitalName(code), code);
}

TEST_F(CodeTablesTest, GetHospitalNameReparsesOnlyAChangedList) {
    const QString code = QStringLiteral("0401180014");
    writeList(hospitalList());
    QFile file(listPath());
    const QDateTime stamp = QDateTime::currentDateTimeUtc().addSecs(-3600);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();

    HospitalNames names(dir.path());
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(names.getHospitalName(code), QStringLiteral("中港醫學中心"));
    EXPECT_EQ(names.parseCount(), 1);

    // Another size, the old modification time put back.
    QString renamed = hospitalList();
    renamed.replace(QStringLiteral("中港醫學中心"), QStringLiteral("中港醫院"));
    writeList(renamed);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(names.getHospitalName(code), QStringLiteral("中港醫院"));
    EXPECT_EQ(names.parseCount(), 2);

    // The same size, another modification time.
    QString sameSize = hospitalList();
    sameSize.replace(QStringLiteral("中港醫學中心"), QStringLiteral("中港總院"));
    ASSERT_EQ(toAnsi(sameSize).size(), toAnsi(renamed).size());
    writeList(sameSize);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(stamp.addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(names.getHospitalName(code), QStringLiteral("中港總院"));
    EXPECT_EQ(names.parseCount(), 3);

    // A removed list takes effect at once as well.
    QFile::remove(listPath());
    EXPECT_EQ(names.getHospitalName(code), code);
}

// ---- ICD10ToEname ----------------------------------------------------------

class DiagnosisTest : public CodeTablesTest {
  protected:
    QString dbPath() const { return dir.filePath(kDiagnosisDatabaseFile); }
    void makeDatabase(const QStringList& statements) {
        const QString name = QStringLiteral("make-dx");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(dbPath());
            ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
            QSqlQuery q(db);
            for (const QString& s : statements)
                ASSERT_TRUE(q.exec(s)) << q.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase(name);
    }
    void makeDxDatabase() {
        makeDatabase({
            "create table DX (ICD10 text, SNAME text, ENAME text)",
            "insert into DX values ('J069', ' 急性上呼吸道感染 ', 'Acute upper respiratory "
            "infection')",
            "insert into DX values ('E119', '第二型糖尿病,未伴有併發症', 'Type 2 diabetes')",
            "insert into DX values ('G510', '   ', 'Bell''s palsy')",
            "insert into DX values ('G309', null, 'Alzheimer''s disease, unspecified')",
            "insert into DX values ('R69', 'a^b~c`d', '')",
        });
    }
};

TEST_F(DiagnosisTest, NamesOfCodes) {
    makeDxDatabase();
    DiagnosisDatabase dx(dir.path());
    using S = DiagnosisStatus;
    struct Case {
        QString code;
        S status;
        QString text;
    };
    const Case cases[] = {
        {QStringLiteral("J069"), S::Found, QStringLiteral("急性上呼吸道感染")},
        {QStringLiteral(" J069 "), S::Found, QStringLiteral("急性上呼吸道感染")},
        {QStringLiteral("j069"), S::Found, QStringLiteral("急性上呼吸道感染")},
        {QStringLiteral("E119"), S::Found, QStringLiteral("第二型糖尿病 未伴有併發症")},
        {QStringLiteral("G510"), S::Found, QStringLiteral("Bell\"s palsy")},
        {QStringLiteral("G309"), S::Found, QStringLiteral("Alzheimer\"s disease  unspecified")},
        {QStringLiteral("R69"), S::Found, QStringLiteral("a b c d")},
        {QStringLiteral("Z999"), S::NotFound, QStringLiteral("(unknown ICD10 code)")},
        {QStringLiteral("J06.9"), S::NotLookedUp, QString()},
        {QStringLiteral("[XXXXXXX]"), S::NotLookedUp, QString()},
        {QStringLiteral("J069' or '1'='1"), S::NotLookedUp, QString()},
        {QStringLiteral("  "), S::NotLookedUp, QString()},
    };
    for (const Case& c : cases) {
        const DiagnosisName got = dx.lookup(c.code);
        EXPECT_EQ(got.status, c.status) << c.code.toStdString();
        EXPECT_EQ(got.text, c.text) << c.code.toStdString();
        EXPECT_EQ(dx.ICD10ToEname(c.code), c.text);
    }
}

TEST_F(DiagnosisTest, UnavailableDatabaseIsToldApartFromAMissingRow) {
    const QString code = QStringLiteral("J069");
    {
        DiagnosisDatabase dx(dir.path());
        const DiagnosisName got = dx.lookup(code);
        EXPECT_EQ(got.status, DiagnosisStatus::Unavailable);
        EXPECT_EQ(got.text, QStringLiteral("(unknown ICD10 code)"));
        EXPECT_FALSE(dx.errorText().isEmpty());
        // A plain code that needs no query stays plain, database or not.
        EXPECT_EQ(dx.lookup(QStringLiteral("J06.9")).status, DiagnosisStatus::NotLookedUp);
    }
    EXPECT_FALSE(QFileInfo::exists(dbPath())) << "a read-only look-up created the file";

    writeBytes(dbPath(), QByteArray("not a database at all, just some text").repeated(40));
    EXPECT_EQ(DiagnosisDatabase(dir.path()).lookup(code).status, DiagnosisStatus::Unavailable);

    QFile::remove(dbPath());
    makeDatabase({"create table OTHER (ICD10 text)"});
    EXPECT_EQ(DiagnosisDatabase(dir.path()).lookup(code).status, DiagnosisStatus::Unavailable);
}

TEST_F(DiagnosisTest, DatabasePutInPlaceLaterIsFound) {
    DiagnosisDatabase dx(dir.path());
    EXPECT_EQ(dx.lookup(QStringLiteral("J069")).status, DiagnosisStatus::Unavailable);
    makeDxDatabase();
    EXPECT_EQ(dx.lookup(QStringLiteral("J069")).status, DiagnosisStatus::Found);
}

}  // namespace
