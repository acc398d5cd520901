// The summary as a PDF, read back with poppler's tools: the text holds the
// patient and every section title, the CJK font is embedded, and a long query
// runs over pages with each table's header row repeated.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>

#include "export/summary_document.h"
#include "export_fixtures.h"

using namespace summary;

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class SummaryPdf : public ::testing::Test {
  protected:
    QString write(const fixtures::Query& q) {
        fixtures::FakeLookups lookups;
        const SummaryDocument doc = buildSummary(q.state, q.tables, q.extras, q.context, lookups);
        const QString path = dir.filePath(QStringLiteral("summary.pdf"));
        if (qEnvironmentVariableIsSet("SUMMARY_PDF_KEEP")) dir.setAutoRemove(false);
        QString error;
        EXPECT_TRUE(writeSummaryPdf(doc, path, &error)) << error.toStdString();
        return path;
    }
    static int pages(const QString& pdf) {
        const QRegularExpression re(QStringLiteral(R"(Pages:\s+(\d+))"));
        return re.match(run(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
    }
    static QString text(const QString& pdf, int page = 0) {
        QStringList args;
        if (page > 0)
            args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                 << QString::number(page);
        return run(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
    }
    QTemporaryDir dir;
};

TEST_F(SummaryPdf, FullQueryShowsThePatientAndEverySectionOnFewPages) {
    const QString pdf = write(fixtures::fullQuery());
    const QString t = text(pdf);
    for (const QString& s :
         {QStringLiteral("林堃喆"), QStringLiteral("B220715631"),
          QStringLiteral("99/12/31 (2010-12-31)"), titles::allergies, titles::criticalIllnesses,
          titles::visits, titles::drugs, titles::duplicates, titles::labs, titles::referral,
          titles::eligibility, QStringLiteral("可悅您膜衣錠50毫克"),
          QStringLiteral("Tolvane 1.0.0.1")})
        EXPECT_TRUE(t.contains(s)) << s.toStdString() << " missing from:\n" << t.toStdString();
    EXPECT_EQ(pages(pdf), 1);
    // The Chinese text is drawn in an embedded font, not left to the reader's machine.
    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains(QStringLiteral("WenQuanYi"))) << fonts.toStdString();
    for (const QString& line : fonts.split(QLatin1Char('\n')).mid(2)) {
        if (line.trimmed().isEmpty()) continue;
        EXPECT_TRUE(line.contains(
            QRegularExpression(QStringLiteral(R"(\s+yes\s+(yes|no)\s+(yes|no)\s+\d+\s+\d+\s*$)"))))
            << "not embedded: " << line.toStdString();
    }
}

TEST_F(SummaryPdf, EmptyQueryIsOnePageWithTheHeaderAlone) {
    const QString pdf = write(fixtures::emptyQuery());
    const QString t = text(pdf);
    EXPECT_TRUE(t.contains(QStringLiteral("王小明")));
    EXPECT_FALSE(t.contains(titles::drugs));
    EXPECT_FALSE(t.contains(titles::labs));
    EXPECT_EQ(pages(pdf), 1);
}

TEST_F(SummaryPdf, LongTablesRepeatTheirHeaderRowOnEveryPage) {
    const QString pdf = write(fixtures::longQuery(300, 300));
    const int n = pages(pdf);
    EXPECT_GE(n, 8);
    EXPECT_LE(n, 40);
    // Every page after the first carries one of the two long tables' header rows.
    for (int page = 2; page <= n; ++page) {
        const QString t = text(pdf, page);
        EXPECT_TRUE(t.contains(QStringLiteral("餘藥日數")) || t.contains(QStringLiteral("參考值")))
            << "page " << page << ":\n"
            << t.left(400).toStdString();
    }
    // No row is lost at a page break.
    const QString all = text(pdf);
    EXPECT_EQ(all.count(QStringLiteral("長期用藥第")), 300);
    EXPECT_EQ(all.count(QRegularExpression(QStringLiteral(R"(\bITEM\d+\b)"))), 300);
}

// A cell wider than its column and a free text longer than a page are broken
// into lines and pages without losing a character.
TEST_F(SummaryPdf, LongCellsAndLongTextsBreakWithoutLosingText) {
    fixtures::Query q = fixtures::emptyQuery();
    QStringList lines;
    for (int i = 1; i <= 120; ++i) lines << QStringLiteral("轉診紀錄第%1行").arg(i);
    q.state.sRef = lines.join(QLatin1Char('\n')) + QStringLiteral("\n<b>轉診</b> & <img src=x>");
    const QString longName = QStringLiteral("長效型").repeated(30) + QStringLiteral("END");
    q.tables.drug.rows << fixtures::row(
        report::Kind::Drug, {{"就醫日期", "113/12/08"}, {"藥品名稱", longName}, {"給藥日數", "28"}});
    const QString pdf = write(q);
    EXPECT_GE(pages(pdf), 3);
    QString all = text(pdf);
    for (int i = 1; i <= 120; ++i)
        EXPECT_EQ(all.count(QStringLiteral("轉診紀錄第%1行\n").arg(i)), 1) << i;
    EXPECT_TRUE(all.contains(QStringLiteral("<b>轉診</b> & <img src=x>")));
    all.remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_TRUE(all.contains(longName)) << all.left(2000).toStdString();
}

TEST_F(SummaryPdf, MarkupInRecordTextIsShownAsText) {
    fixtures::Query q = fixtures::emptyQuery();
    q.state.sRef = QStringLiteral("<b>轉診</b> & <img src=x>");
    fixtures::FakeLookups lookups;
    const SummaryDocument doc = buildSummary(q.state, q.tables, q.extras, q.context, lookups);
    EXPECT_TRUE(summaryTextDocument(doc)->toPlainText().contains(
        QStringLiteral("<b>轉診</b> & <img src=x>")));
}

TEST_F(SummaryPdf, AFailedWriteLeavesTheOldFile) {
    const QString path = dir.filePath(QStringLiteral("missing/summary.pdf"));
    fixtures::FakeLookups lookups;
    const fixtures::Query q = fixtures::emptyQuery();
    QString error;
    EXPECT_FALSE(writeSummaryPdf(buildSummary(q.state, q.tables, q.extras, q.context, lookups),
                                 path, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
