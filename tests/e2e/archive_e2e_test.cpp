// "Read" stores the query and Enter in the ID box brings it back, on a copy of
// the demo program folder with its seeded archive: the stand-in card reader, the
// real browser engine and the loopback cloud site over HTTPS.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "cloud/webengine_browser_view.h"
#include "cloud_site.h"
#include "common/clock.h"
#include "common/ini_file.h"
#include "common/roc_date.h"
#include "e2e_support.h"
#include "qstring_printer.h"
#include "recording_prompts.h"
#include "flow/pinger.h"
#include "shell/installation_view.h"
#include "shell/tftolv_view.h"

namespace {

const QString kDemo = QStringLiteral(E2E_DEMO_DIR);
const QStringList kSeeded = {"cloudData/11511/1151118B220715631.dat",
                             "cloudData/11510/1151021B220715631.dat"};

using e2e::AnswersAlways;
using e2e::records;

class ArchiveEndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { e2e::ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* f :
             {"libcshis.so", "sim-cards.json", "hospbsc.txt", "MX.sqlite", "ICD10CM.sqlite"})
            ASSERT_TRUE(QFile::copy(kDemo + "/" + f, path(f))) << f;
        for (const QString& f : kSeeded) {
            ASSERT_TRUE(QDir(dir.path()).mkpath(QFileInfo(f).path()));
            ASSERT_TRUE(QFile::copy(kDemo + "/" + f, path(f))) << f.toStdString();
        }
        insert("demo");

        site = std::make_unique<cloudsite::Site>(
            cloudsite::Options{kDemo + "/cloudsite-cert.pem", kDemo + "/cloudsite-key.pem",
                               kDemo + "/cloud-records.json", dir.path()});
        ASSERT_TRUE(site->start()) << site->error().toStdString();

        QFile fp(kDemo + "/cloudsite-cert.sha256");
        ASSERT_TRUE(fp.open(QIODevice::ReadOnly));
        IniFile ini(path("tolvane.ini"));
        ini.writeString("endpoints", "cloudHost", QString("127.0.0.1:%1").arg(site->port()));
        ini.writeString("endpoints", "vpnTestAddress", "127.0.0.1");
        ini.writeString("endpoints", "testCertSha256", QString::fromLatin1(fp.readAll()).trimmed());
    }

    void TearDown() override {
        window.reset();
        site.reset();
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    void insert(const char* card) {
        QFile f(path("sim-card.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(card) + '\n');
    }

    TFtolv& start() {
        TFtolv::Deps deps = installation.deps(pinger, prompts, systemClock(), path("profile"));
        // These queries ask neither web service.
        deps.healthPromotion = nullptr;
        deps.vpnAddOn = nullptr;
        window = std::make_unique<TFtolv>(deps);
        window->show();
        return *window;
    }
    template <class T>
    T* get(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    std::unique_ptr<cloudsite::Site> site;
    Installation installation{dir.path() + "/"};
    AnswersAlways pinger;
    RecordingPrompts prompts;
    std::unique_ptr<TFtolv> window;
};

TEST_F(ArchiveEndToEnd, ReadThenReopenTodayAndAnEarlierDay) {
    TFtolv& w = start();
    get<QRadioButton>("CICcloudcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();
    ASSERT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(" | ").toStdString();
    const QString today = DateTimeToStr7(QDate::currentDate());
    ASSERT_TRUE(QFile::exists(path("cloudData/" + today.left(5) + "/" + today + "B220715631.dat")));

    // Another patient on screen, then the first one's queries back from the archive.
    insert("male");
    get<QPushButton>("Cread")->click();
    ASSERT_EQ(get<QLineEdit>("CptID")->text(), "F129048179");

    QLineEdit* id = get<QLineEdit>("CsrID");
    id->setText("B220715631");
    QTest::keyClick(id, Qt::Key_Enter);

    QComboBox* dates = get<QComboBox>("CdateList");
    ASSERT_EQ(dates->count(), 3);
    EXPECT_EQ(dates->itemText(0), today);
    EXPECT_EQ(dates->itemText(1), "1151118");
    EXPECT_EQ(dates->itemText(2), "1151021");
    EXPECT_EQ(get<QLineEdit>("CptID")->text(), "B220715631");
    EXPECT_EQ(records(w.query().patient.sDrug), 26);
    EXPECT_EQ(records(w.query().patient.sLab), 12);
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "讀取" + today + "日資料完成");

    dates->setCurrentIndex(2);
    EXPECT_EQ(get<QLabel>("Cmsg2")->text(), "讀取1151021日資料完成");
    EXPECT_EQ(w.query().patient.ptData.A12ID, "B220715631");
    EXPECT_EQ(records(w.query().patient.sDrug), 26);
    EXPECT_EQ(records(w.query().patient.sLab), 12);
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(" | ").toStdString();
    EXPECT_TRUE(w.isEnabled());
}

}  // namespace
