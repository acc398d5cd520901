#include "card/drug_database.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "card/code_tables.h"

namespace {

using Status = InsuranceCodeName::Status;

class DrugDatabaseTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString dbPath() const { return dir.filePath(kDrugDatabaseFile); }

    void makeDatabase(const QStringList& statements) {
        const QString name = QStringLiteral("make-mx");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(dbPath());
            ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
            QSqlQuery q(db);
            for (const QString& s : statements)
                ASSERT_TRUE(q.exec(s))
                    << s.toStdString() << ": " << q.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase(name);
    }

    QStringList tables(bool withVaccine = true) {
        QStringList s{
            "create table medicine (INSUCODE text, ENAME text, CNAME text)",
            "create table OPD (INSUCODE text, ENAME text, CNAME text)",
            "create table material (INSUCODE text, OBJECTNAME text)",
            // medicine comes first, even for a code that OPD has too.
            "insert into medicine values ('A012345100', ' ACETAMINOPHEN 500MG ', 'x')",
            "insert into OPD values ('A012345100', 'OPD NAME', '')",
            "insert into medicine values ('AB''C123', 'QUOTED CODE', '')",
            "insert into medicine values ('N000000000', null, 'only Chinese')",
            "insert into OPD values ('00130C', '', ' 夜間門診加成 ')",
            "insert into OPD values ('00109C', '  GENERAL VISIT ', 'cname')",
            "insert into OPD values ('47041C', '   ', '')",
            "insert into material values ('FBZ0123456', ' 彈性繃帶 ')",
        };
        if (withVaccine) {
            s << "create table Vaccine (INSUCODE text, ENAME text, CNAME text)"
              << "insert into Vaccine values ('VA12345100', 'INFLUENZA VACCINE', '流感疫苗')"
              << "insert into Vaccine values ('FBZ0123456', 'VACCINE FIRST', '')";
        }
        return s;
    }
};

TEST_F(DrugDatabaseTest, FirstTableWithTheCodeNamesIt) {
    makeDatabase(tables());
    DrugDatabase mx(dir.path());
    struct Case {
        QString code;
        Status status;
        QString name;
    };
    const Case cases[] = {
        {QStringLiteral("A012345100"), Status::Found, QStringLiteral(" ACETAMINOPHEN 500MG ")},
        {QStringLiteral("a012345100"), Status::Found, QStringLiteral(" ACETAMINOPHEN 500MG ")},
        {QStringLiteral("N000000000"), Status::Found, QString()},  // a row decides, empty or not
        {QStringLiteral("00130C"), Status::Found, QStringLiteral("夜間門診加成")},
        {QStringLiteral("00109C"), Status::Found, QStringLiteral("GENERAL VISIT")},
        {QStringLiteral("47041C"), Status::Found, QString()},
        {QStringLiteral("VA12345100"), Status::Found, QStringLiteral("INFLUENZA VACCINE")},
        {QStringLiteral("FBZ0123456"), Status::Found, QStringLiteral("VACCINE FIRST")},
        {QStringLiteral("BC23456789"), Status::NotFound, QStringLiteral("BC23456789")},
        {QString(), Status::NotFound, QString()},
        // A quote is part of the code: it finds its own row or nothing.
        {QStringLiteral("AB'C123"), Status::Found, QStringLiteral("QUOTED CODE")},
        {QStringLiteral("X' or '1'='1"), Status::NotFound, QStringLiteral("X' or '1'='1")},
        {QStringLiteral("'; drop table medicine; --"), Status::NotFound,
         QStringLiteral("'; drop table medicine; --")},
    };
    for (const Case& c : cases) {
        const InsuranceCodeName got = mx.nameOf(c.code);
        EXPECT_EQ(got.status, c.status) << c.code.toStdString();
        EXPECT_EQ(got.name, c.name) << c.code.toStdString();
    }
    EXPECT_EQ(mx.nameOf(QStringLiteral("A012345100")).status, Status::Found);
}

TEST_F(DrugDatabaseTest, FailuresKeepTheCode) {
    {
        DrugDatabase mx(dir.path());
        const InsuranceCodeName got = mx.nameOf(QStringLiteral("A012345100"));
        EXPECT_EQ(got.status, Status::Failed);
        EXPECT_EQ(got.name, QStringLiteral("A012345100"));
        EXPECT_FALSE(got.errorText.isEmpty());
        // An empty slot is not a failure, whatever state the database is in.
        EXPECT_EQ(mx.nameOf(QStringLiteral("  ")).status, Status::NotFound);
    }
    EXPECT_FALSE(QFileInfo::exists(dbPath())) << "a read-only look-up created the file";
    EXPECT_EQ(unknownInsuranceCodeMessage(QStringLiteral("A012345100")),
              QStringLiteral("含不明健保碼:A012345100"));

    // Without the table Vaccine, codes found before it still have names; a code
    // that would be looked up there fails.
    makeDatabase(tables(false));
    DrugDatabase mx(dir.path());
    EXPECT_EQ(mx.nameOf(QStringLiteral("00130C")).status, Status::Found);
    const InsuranceCodeName got = mx.nameOf(QStringLiteral("FBZ0123456"));
    EXPECT_EQ(got.status, Status::Failed);
    EXPECT_EQ(got.name, QStringLiteral("FBZ0123456"));
}

TEST_F(DrugDatabaseTest, ObjectsLiveSideBySide) {
    makeDatabase(tables());
    auto first = std::make_unique<DrugDatabase>(dir.path());
    DrugDatabase second(dir.path());
    EXPECT_EQ(first->nameOf(QStringLiteral("VA12345100")).status, Status::Found);
    EXPECT_EQ(second.nameOf(QStringLiteral("VA12345100")).status, Status::Found);
    first.reset();
    EXPECT_EQ(second.nameOf(QStringLiteral("00130C")).name, QStringLiteral("夜間門診加成"));
}

// The demo program folder's files, built from data/, answer as their sources say.
TEST(DemoFolder, SampleTablesAnswer) {
    const QString demo = QStringLiteral(TOLVANE_DEMO_DIR);
    DrugDatabase mx(demo);
    const std::pair<const char*, QString> drugs[] = {
        {"A012345100", QStringLiteral("ACETAMINOPHEN 500MG TAB")},
        {"AC12345100", QStringLiteral("GLICLAZIDE 30MG MR TAB")},
        {"BC23456789", QStringLiteral("MOMETASONE 0.1% CREAM 5G")},
        {"N034567100", QStringLiteral("CALCIUM CARBONATE 500MG, VITAMIN D3 TAB")},
        {"00130C", QStringLiteral("夜間門診診察費加成")},
        {"VA12345100", QStringLiteral("INFLUENZA VACCINE 0.5ML")},
        {"FBZ0123456", QStringLiteral("彈性繃帶 7.5CM")},
    };
    for (const auto& [code, name] : drugs) {
        const InsuranceCodeName got = mx.nameOf(QString::fromLatin1(code));
        EXPECT_EQ(got.status, Status::Found) << code << got.errorText.toStdString();
        EXPECT_EQ(got.name, name) << code;
    }

    DiagnosisDatabase dx(demo);
    EXPECT_EQ(dx.ICD10ToEname(QStringLiteral("I10")), QStringLiteral("本態性高血壓"));
    EXPECT_EQ(dx.ICD10ToEname(QStringLiteral("E119")), QStringLiteral("第二型糖尿病 未伴有併發症"));
    EXPECT_EQ(dx.ICD10ToEname(QStringLiteral("G309")),
              QStringLiteral("Alzheimer\"s disease  unspecified"));

    // hospbsc.txt is CP950, read by both institution look-ups.
    CHospitalSet set;
    set.CreateHospitalSet(demo);
    HospitalNames names(demo);
    for (const char* code : {"3501200000", "0401180014", "1101010012", "3532011111"}) {
        EXPECT_NE(set.HosCodeToName(QString::fromLatin1(code)), QStringLiteral("(不明院所)"))
            << code;
        EXPECT_EQ(names.getHospitalName(QString::fromLatin1(code)),
                  set.HosCodeToName(QString::fromLatin1(code)));
    }
    EXPECT_EQ(set.HosCodeToName(QStringLiteral("3501200000")), QStringLiteral("晴川診所"));
}

}  // namespace
