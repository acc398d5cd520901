// The top bar's "摘要" button on the window: its three entries, the file dialog's
// default name, and the files written for the patient on screen.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QToolButton>

#include "window_fixture.h"

namespace {

class WindowSummaryTest : public WindowTest {
  protected:
    QAction* entry(const char* name) {
        QAction* a = window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    // A patient as a Read leaves it: card data and one cloud drug record.
    void showPatient() {
        Query q;
        q.origin = QueryOrigin::Read;
        q.patientId = QStringLiteral("B220715631");
        q.cardRead = true;
        q.completed = true;
        q.time = QDateTime(QDate(2024, 12, 10), QTime(14, 30));
        PatientState& p = q.patient;
        p.ptData.name = QStringLiteral("林小華");
        p.ptData.A12ID = QStringLiteral("b220715631");
        p.ptData.A13birthday = QStringLiteral("0730101");
        p.ptData.sex = QLatin1Char('F');
        p.sDrug = QStringLiteral(
            "<D><就醫日期>113/12/08</就醫日期><藥品代碼>BC24096100</藥品代碼>"
            "<藥品名稱>可悅您膜衣錠50毫克</藥品名稱><給藥日數>28</給藥日數></D>");
        window->commitQuery(q, true);
    }
};

TEST_F(WindowSummaryTest, TheButtonOffersPrintPdfAndFhir) {
    installControlSoftware();
    start();
    auto* button = get<QToolButton>("Csummary");
    EXPECT_EQ(button->text(), QStringLiteral("摘要"));
    QStringList captions;
    for (QAction* a : button->menu()->actions()) captions << a->text();
    EXPECT_EQ(captions, (QStringList{"列印", "存成PDF", "匯出FHIR"}));
}

TEST_F(WindowSummaryTest, WithoutAPatientNothingIsAskedOrWritten) {
    installControlSoftware();
    start();
    prompts.clear();
    entry("CsummaryPdf")->trigger();
    entry("CsummaryFhir")->trigger();
    EXPECT_EQ(prompts.messages(), (QStringList{"尚無病患資料", "尚無病患資料"}));
    EXPECT_EQ(prompts.records().size(), 2u);
}

TEST_F(WindowSummaryTest, PdfAndFhirAreWrittenWhereTheDialogSays) {
    installControlSoftware();
    start();
    showPatient();
    prompts.clear();
    prompts.scriptSaveFile(path("out.pdf"));
    prompts.scriptSaveFile(path("out.json"));
    prompts.scriptSaveFile(std::nullopt);  // the second export is cancelled
    entry("CsummaryPdf")->trigger();
    entry("CsummaryFhir")->trigger();
    entry("CsummaryFhir")->trigger();
    EXPECT_TRUE(prompts.allScriptUsed());
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join('\n').toStdString();

    // The archive's name for the day and the patient, in the program folder.
    const auto& r = prompts.records();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_TRUE(r[0].defaultText.endsWith(QStringLiteral("/1131210B220715631.pdf")))
        << r[0].defaultText.toStdString();
    EXPECT_TRUE(r[1].defaultText.endsWith(QStringLiteral("/1131210B220715631.json")));

    QFile pdf(path("out.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    QFile json(path("out.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject bundle = QJsonDocument::fromJson(json.readAll()).object();
    const QJsonArray entries = bundle["entry"].toArray();
    ASSERT_EQ(entries.size(), 2);  // the patient and the cloud drug
    EXPECT_EQ(entries[1]["resource"]["medicationCodeableConcept"]["text"].toString(),
              QStringLiteral("可悅您膜衣錠50毫克"));
    EXPECT_EQ(entries[1]["resource"]["status"].toString(), QStringLiteral("active"));
}

}  // namespace
