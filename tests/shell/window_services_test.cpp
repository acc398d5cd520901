// "Read" from the window with both web services: the stand-in helper libraries of
// the demo folder and the loopback services, pinned by the settings' fingerprint.
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "window_services_fixture.h"

namespace {


TEST_F(WindowServices, ReadShowsEligibilityAndReferralsAndASecondPatientIsAskedForConsent) {
    insertCard("demo");
    TFtolv& w = start();
    get<QRadioButton>("CICcheck")->setChecked(true);
    get<QPushButton>("Cread")->click();

    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), "林雅婷 符合成人預防保健(40-64歲每3年1次)");
    EXPECT_EQ(get<QPlainTextEdit>("CrefMemo")->toPlainText(),
              "1151201 心臟內科 高血壓追蹤~~1151118 骨科, 腰痛複診");
    EXPECT_EQ(w.query().patient.sRef, "1151201 心臟內科 高血壓追蹤~~1151118 骨科, 腰痛複診");

    insertCard("male");
    prompts.scriptQuestion(Prompts::Answer::Yes);
    get<QPushButton>("Cread")->click();
    EXPECT_THAT(prompts.questions(), ::testing::ElementsAre("知情同意?"));
    EXPECT_EQ(get<QLabel>("Cmsg3")->text(), "陳志明 符合成人預防保健(65歲以上每年1次)");
    EXPECT_TRUE(get<QPlainTextEdit>("CrefMemo")->toPlainText().isEmpty());
    EXPECT_THAT(prompts.messages(), ::testing::IsEmpty());
    EXPECT_TRUE(w.isEnabled());
}

}  // namespace
