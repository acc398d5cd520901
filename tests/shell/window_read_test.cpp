#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "window_fixture.h"

namespace {

class WindowRead : public WindowTest {
  protected:
    // The demo folder's data files, so names resolve as they do for a user.
    void installDemoData() {
        for (const char* name : {"hospbsc.txt", "MX.sqlite", "ICD10CM.sqlite"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(SHELL_DEMO_DIR "/") + name, path(name)))
                << name;
    }
    void insertCard(const char* key) {
        QFile f(path("sim-card.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(key) + '\n');
    }
};

TEST_F(WindowRead, ButtonsWaitForTheEndOfStartUp) {
    TFtolv& w = start();  // no control software: start-up stops early
    EXPECT_FALSE(get<QPushButton>("Cread")->isEnabled());
    EXPECT_FALSE(get<QPushButton>("CsaveHtml")->isEnabled());
    w.CreadClick();  // a click that slips through changes nothing
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(WindowRead, CardReadFillsThePatientPages) {
    installControlSoftware();
    installDemoData();
    insertCard("demo");
    writeEndpoints();
    TFtolv& w = start();
    ASSERT_TRUE(get<QPushButton>("Cread")->isEnabled());
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPlainTextEdit>("CrefMemo")->setPlainText("memo of the last patient");

    get<QPushButton>("Cread")->click();

    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());
    EXPECT_EQ(w.patient.ptData.A12ID, "B220715631");
    EXPECT_EQ(get<QLineEdit>("CptID")->text(), "B220715631");
    EXPECT_TRUE(get<QRadioButton>("CsexF")->isChecked());
    EXPECT_FALSE(get<QRadioButton>("CsexM")->isChecked());
    EXPECT_GT(get<QTreeWidget>("CtreatItem")->topLevelItemCount(), 0);
    EXPECT_TRUE(get<QPlainTextEdit>("CrefMemo")->toPlainText().isEmpty());
    EXPECT_TRUE(browser->scripts.isEmpty()) << "a card-only read does not touch the cloud";
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(get<QPushButton>("Cread")->isEnabled());
    EXPECT_EQ(get<QTabWidget>("CmainPage")->currentWidget(), get<QWidget>("CPptData"));
}

TEST_F(WindowRead, MissingCardShowsItsMessageAndEnablesTheWindow) {
    installControlSoftware();
    installDemoData();
    insertCard("nocard");
    writeEndpoints();
    TFtolv& w = start();
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();
    ASSERT_FALSE(prompts.messages().isEmpty());
    EXPECT_EQ(prompts.messages().last(), "讀取病人IC卡基本資料錯誤");
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the pointer is normal again";
}

}  // namespace
