// The in-process control software answers as the stand-in library does: the same calls
// on the same card description give the same results and the same bytes.

#include "fake_control_software.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <string>
#include <vector>

#include "card/loaded_control_software.h"
#include "cshis_folder.h"

namespace {

QByteArray shippedFixture() {
    QFile f(QStringLiteral(CSHIS_FIXTURE));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::string entry(const char* name, std::optional<int32_t> rc, const QByteArray& bytes = {}) {
    return std::string(name) + "=" + (rc ? std::to_string(*rc) : "missing") + ":" +
           bytes.toHex().toStdString();
}

// One pass over every entry point, in the order a start-up and a full read use them.
// Buffers the card writes over are prefilled, so "left as the caller put it" shows too.
std::vector<std::string> trace(ControlSoftware& cs) {
    std::vector<std::string> t;
    const auto buffer = [&](const char* name, int size, auto call, char fill = ' ') {
        QByteArray b(size, fill);
        int32_t len = size;
        const std::optional<int32_t> rc = (cs.*call)(b.data(), &len);
        t.push_back(entry(name, rc, b + "/" + QByteArray::number(len)));
    };
    QByteArray path(251, ' ');
    path[250] = '\0';
    t.push_back(entry("csGetVersionEx", cs.csGetVersionEx(path.data())));
    t.push_back(entry("csOpenCom", cs.csOpenCom(0)));
    t.push_back(entry("sam", cs.hisGetCardStatus(1)));
    t.push_back(entry("hpc", cs.hisGetCardStatus(3)));
    buffer("hpcGetHPCSSN", 10, &ControlSoftware::hpcGetHPCSSN);
    t.push_back(entry("csVerifySAMDC", cs.csVerifySAMDC()));
    buffer("hpcGetHPCSSN", 10, &ControlSoftware::hpcGetHPCSSN);
    t.push_back(entry("hpcVerifyHPCPIN", cs.hpcVerifyHPCPIN()));
    buffer("csGetHospID", 10, &ControlSoftware::hiscsGetHospID);
    buffer("hisGetRegisterBasic", 78, &ControlSoftware::hisGetRegisterBasic);
    buffer("hisGetCriticalIllness", 138, &ControlSoftware::hisGetCriticalIllness, 'x');
    buffer("hisGetTreatmentNoNeedHPC", 498, &ControlSoftware::hisGetTreatmentNoNeedHPC);
    buffer("hisGetTreatmentNeedHPC", 540, &ControlSoftware::hisGetTreatmentNeedHPC, 'x');
    QByteArray rx[4] = {QByteArray(3660, ' '), QByteArray(1320, ' '), QByteArray(360, ' '),
                        QByteArray(120, ' ')};
    int32_t lens[4] = {3660, 1320, 360, 120};
    const auto rc = cs.hisReadPrescription(rx[0].data(), &lens[0], rx[1].data(), &lens[1],
                                           rx[2].data(), &lens[2], rx[3].data(), &lens[3]);
    t.push_back(entry("hisReadPrescription", rc, rx[0] + rx[1] + rx[2] + rx[3]));
    buffer("hisGetRegisterPrevent", 126, &ControlSoftware::hisGetRegisterPrevent);
    buffer("hisGetRegisterPregnant", 209, &ControlSoftware::hisGetRegisterPregnant);
    buffer("hisGetCumulativeData", 134, &ControlSoftware::hisGetCumulativeData);
    buffer("hisGetCumulativeFee", 20, &ControlSoftware::hisGetCumulativeFee);
    buffer("hisGetInoculateData", 1400, &ControlSoftware::hisGetInoculateData);
    buffer("hisGetOrganDonate", 1, &ControlSoftware::hisGetOrganDonate);
    t.push_back(entry("csSoftwareReset", cs.csSoftwareReset(3)));
    buffer("hisGetRegisterBasic", 78, &ControlSoftware::hisGetRegisterBasic);
    t.push_back(entry("csCloseCom", cs.csCloseCom()));
    return t;
}

TEST(FakeControlSoftware, AnswersEveryCardOfTheShippedFixtureAsTheStandInLibrary) {
    CshisFolder folder(shippedFixture());
    LoadedControlSoftware library(folder.path());
    ASSERT_TRUE(library.LoadLibraryCshis()) << library.loadError().toStdString();
    FakeControlSoftware fake(folder.path());
    ASSERT_TRUE(fake.LoadLibraryCshis());

    for (const char* key : {"demo", "male", "nocard", "timeout", "timeout-then-ok", "sam-fail",
                            "hpc-unverified", "no-hpc", "port-fail"}) {
        SCOPED_TRACE(key);
        folder.insert(key);
        const std::vector<std::string> expected = trace(library);
        EXPECT_EQ(trace(fake), expected);
        if (std::string(key) == "demo") {
            // The comparison reaches every entry point of the list.
#define CALLED(result, name, exportName, params, args) \
    EXPECT_GT(fake.sim().callCount(QStringLiteral(#exportName)), 0) << #exportName;
            TOLVANE_CONTROL_SOFTWARE_ENTRIES(CALLED)
#undef CALLED
            EXPECT_EQ(expected[9].rfind("hisGetRegisterBasic=0:", 0), 0u) << "the card was read";
        }
    }
}

TEST(FakeControlSoftware, UnloadableOrLackingAnExportCallsNothing) {
    CshisFolder folder(shippedFixture());
    folder.insert("demo");
    FakeControlSoftware fake(folder.path());
    fake.setLoadable(false);
    EXPECT_FALSE(fake.LoadLibraryCshis());
    EXPECT_EQ(fake.csOpenCom(0), std::nullopt);

    fake.setLoadable(true);
    fake.setMissing({"csGetVersionEx"});
    ASSERT_TRUE(fake.LoadLibraryCshis());
    char path[251] = {};
    EXPECT_FALSE(fake.has("csGetVersionEx"));
    EXPECT_EQ(fake.csGetVersionEx(path), std::nullopt);
    EXPECT_EQ(fake.csOpenCom(0), 0);
    EXPECT_EQ(fake.sim().callLog(), QStringList{"csOpenCom(0)"});
}

}  // namespace
