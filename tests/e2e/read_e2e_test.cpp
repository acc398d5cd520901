// "Read" from the window on a copy of the demo program folder: the stand-in card
// reader, the real browser engine, the loopback cloud site and web services over
// HTTPS with the pinned test certificate.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "cloud/webengine_browser_view.h"
#include "cloud_site.h"
#include "common/clock.h"
#include "common/ini_file.h"
#include "e2e_support.h"
#include "qstring_printer.h"
#include "recording_prompts.h"
#include "services_site.h"
#include "flow/pinger.h"
#include "shell/installation_view.h"
#include "shell/tftolv_view.h"

namespace {

const QString kDemo = QStringLiteral(E2E_DEMO_DIR);

using e2e::AnswersAlways;
using e2e::records;

class ReadEndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { e2e::ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* f : {"libcshis.so", "libHpaBhp.so", "libCsHisX.so", "sim-cards.json",
                              "hospbsc.txt", "MX.sqlite", "ICD10CM.sqlite"})
            ASSERT_TRUE(QFile::copy(kDemo + "/" + f, path(f))) << f;
        insert("demo");

        site = std::make_unique<cloudsite::Site>(
            cloudsite::Options{kDemo + "/cloudsite-cert.pem", kDemo + "/cloudsite-key.pem",
                               kDemo + "/cloud-records.json", dir.path()});
        ASSERT_TRUE(site->start()) << site->error().toStdString();
        services = std::make_unique<services::Server>(
            services::Options{kDemo + "/cloudsite-cert.pem", kDemo + "/cloudsite-key.pem",
                              kDemo + "/" + services::kFixtureFile, dir.path()});
        ASSERT_TRUE(services->start()) << services->error().toStdString();

        QFile fp(kDemo + "/cloudsite-cert.sha256");
        ASSERT_TRUE(fp.open(QIODevice::ReadOnly));
        // The demo's settings (its report rules), pointed at this site.
        ASSERT_TRUE(QFile::copy(kDemo + "/tolvane.ini", path("tolvane.ini")));
        IniFile ini(path("tolvane.ini"));
        ini.writeString("endpoints", "cloudHost", QString("127.0.0.1:%1").arg(site->port()));
        ini.writeString("endpoints", "vpnTestAddress", "127.0.0.1");
        ini.writeString("endpoints", "testCertSha256", QString::fromLatin1(fp.readAll()).trimmed());
        ini.writeString("endpoints", "preventApiHost", services->host());
        ini.writeString("endpoints", "referralHost", services->host());
    }

    void TearDown() override {
        window.reset();
        site.reset();
        services.reset();
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    void insert(const char* card) {
        QFile f(path("sim-card.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(card) + '\n');
    }

    TFtolv& start() {
        window = std::make_unique<TFtolv>(
            installation.deps(pinger, prompts, systemClock(), path("profile")));
        window->show();
        return *window;
    }
    template <class T>
    T* get(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    std::unique_ptr<cloudsite::Site> site;
    std::unique_ptr<services::Server> services;
    Installation installation{dir.path() + "/"};
    AnswersAlways pinger;
    RecordingPrompts prompts;
    std::unique_ptr<TFtolv> window;
};

TEST_F(ReadEndToEnd, TwoPatientsOneAfterTheOther) {
    TFtolv& w = start();
    get<QRadioButton>("CICcloudcheck")->setChecked(true);

    get<QPushButton>("Cread")->click();
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(" | ").toStdString();
    EXPECT_EQ(get<QLineEdit>("CptID")->text(), "B220715631");
    EXPECT_EQ(records(w.query().patient.sDrug), 26);
    EXPECT_EQ(records(w.query().patient.sLab), 12);
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), "林雅婷 符合成人預防保健(40-64歲每3年1次)");
    EXPECT_EQ(get<QPlainTextEdit>("CrefMemo")->toPlainText(),
              "1151201 心臟內科 高血壓追蹤~~1151118 骨科, 腰痛複診");
    EXPECT_TRUE(w.isEnabled());

    // The next patient: the site takes the card now in the reader 2 s after the
    // click, showing the first patient's page meanwhile; nothing of the first
    // patient may be read or stay.
    site->switches().changeDelayMs = 2000;
    insert("male");
    prompts.scriptQuestion(Prompts::Answer::No);
    get<QPushButton>("Cread")->click();
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(" | ").toStdString();
    EXPECT_EQ(get<QLineEdit>("CptID")->text(), "F129048179");
    EXPECT_EQ(records(w.query().patient.sDrug), 4);
    EXPECT_TRUE(w.query().patient.sDrug.startsWith("<D><就醫日期>113/12/01</就醫日期>"));
    EXPECT_TRUE(w.query().patient.sDrug.contains("<藥品名稱>庫魯化錠500毫克</藥品名稱>"));
    EXPECT_EQ(records(w.query().patient.sLab), 0);
    EXPECT_TRUE(get<QLabel>("Cmsg3")->text().startsWith("陳志明"))
        << get<QLabel>("Cmsg3")->text().toStdString();
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:4");
    EXPECT_TRUE(get<QRadioButton>("CsexM")->isChecked());
    EXPECT_EQ(prompts.questions(), QStringList{"知情同意?"});
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), "陳志明 民眾未同意,無法查詢資格");
    EXPECT_TRUE(get<QPlainTextEdit>("CrefMemo")->toPlainText().isEmpty());
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(ReadEndToEnd, ReadEndsOnTheDrugReport) {
    TFtolv& w = start();
    get<QRadioButton>("CICcloudcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(" | ").toStdString();
    auto* pages = get<QTabWidget>("CmainPage");
    EXPECT_EQ(pages->currentWidget()->objectName(), "CPcloudChart");
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:26");
    auto* report = get<QTreeView>("CcloudReport");
    ASSERT_EQ(report->model()->rowCount(), 26);
    EXPECT_EQ(report->model()->headerData(9, Qt::Horizontal).toString(), "藥品名稱");
    EXPECT_EQ(report->model()->index(0, 9).data().toString(), "庫魯化錠500毫克");
    // TOLVANE_REPORT_SHOTS names a folder for pictures of the report to look at.
    const QString shots = qEnvironmentVariable("TOLVANE_REPORT_SHOTS");
    auto shoot = [&](const char* name) {
        if (shots.isEmpty()) return;
        QApplication::processEvents();
        w.grab().save(shots + "/" + name);
    };
    shoot("report-drug.png");

    get<QToolButton>("ToolButton2")->click();
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "項目總量:12");
    get<QToolButton>("Csetting")->click();
    EXPECT_TRUE(get<QWidget>("CPfieldSetting")->isVisible());
    EXPECT_EQ(get<QListWidget>("CviewfieldList")->count(), 23);
    shoot("report-lab-columns.png");

    // The demo's rules select some drug rows; the clinic's own are never among them.
    get<QToolButton>("ToolButton1")->click();
    get<QToolButton>("CcloudShowSelect")->click();
    const int selected = report->model()->rowCount();
    EXPECT_GT(selected, 0);
    EXPECT_LT(selected, 26);
}

}  // namespace
