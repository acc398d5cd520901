// The archive from the window: "Read" stores the query, Enter in CsrID lists the
// stored dates and opens the newest, another date opens that one.

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "window_fixture.h"

namespace {

class WindowArchive : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        installControlSoftware();
        for (const char* name : {"hospbsc.txt", "MX.sqlite", "ICD10CM.sqlite"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(SHELL_DEMO_DIR "/") + name, path(name)));
        QFile card(path("sim-card.txt"));
        ASSERT_TRUE(card.open(QIODevice::WriteOnly));
        card.write("demo\n");
        card.close();
        writeEndpoints();
    }
    QString stored(const char* date) const {
        return path(QStringLiteral("cloudData/%1/%2B220715631.dat")
                        .arg(QString::fromLatin1(date).left(5), QString::fromLatin1(date)));
    }
};

TEST_F(WindowArchive, ReadStoresTheQueryAndEnterInTheIdReopensIt) {
    TFtolv& w = start();
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();
    ASSERT_THAT(prompts.messages(), ::testing::IsEmpty());
    ASSERT_TRUE(QFile::exists(stored("1130305"))) << "the virtual clock's day, 5 March 2024";
    // An older day of the same patient, and the patient on screen gone.
    ASSERT_TRUE(QDir(dir.path()).mkpath("cloudData/11302"));
    ASSERT_TRUE(QFile::copy(stored("1130305"), stored("1130220")));
    w.commitQuery(Query{}, false);
    ASSERT_TRUE(get<QLineEdit>("CptID")->text().isEmpty());

    QLineEdit* id = get<QLineEdit>("CsrID");
    id->setText("b220715631");
    QTest::keyClick(id, Qt::Key_F5);  // other keys list nothing
    EXPECT_EQ(get<QComboBox>("CdateList")->count(), 0);
    QTest::keyClick(id, Qt::Key_Return);

    QComboBox* dates = get<QComboBox>("CdateList");
    ASSERT_EQ(dates->count(), 2);
    EXPECT_EQ(dates->itemText(0), "1130305");
    EXPECT_EQ(dates->itemText(1), "1130220");
    EXPECT_EQ(w.query().patient.ptData.A12ID, "B220715631");
    EXPECT_EQ(get<QLineEdit>("CptID")->text(), "B220715631");
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "讀取1130305日資料完成");
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), w.query().patient.ptData.name + " ");
    for (const char* name : {"Cread", "CsaveHtml", "CsrID", "CdateList"})
        EXPECT_TRUE(get<QWidget>(name)->isEnabled()) << name;

    dates->setCurrentIndex(1);
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "讀取1130220日資料完成");
    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());

    // An opening inside Direct Read's page check (the buttons off) leaves them off.
    w.setReadButtonsEnabled(false);
    QTest::keyClick(id, Qt::Key_Enter);
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "讀取1130305日資料完成");
    EXPECT_FALSE(get<QWidget>("Cread")->isEnabled());
    EXPECT_FALSE(get<QWidget>("CsaveHtml")->isEnabled());
    EXPECT_TRUE(get<QWidget>("CsrID")->isEnabled());
    EXPECT_TRUE(get<QWidget>("CdateList")->isEnabled());
}

}  // namespace
