// Loading and binding the control software: by plain name from the program folder, once,
// and never calling an export the library lacks.

#include <gtest/gtest.h>

#include <QFile>
#include <cstring>

#include "card/loaded_control_software.h"
#include "cshis_folder.h"

namespace {

const QByteArray kFixture = R"({
  "reader": {"version": 5123},
  "sam": {"hospId": "3501200000"},
  "cards": [{"key": "p", "id": "B220715631"}]
})";

// Every entry point of the list under its export name.
const char* const kExports[] = {
#define EXPORT_NAME(result, name, exportName, params, args) #exportName,
    TOLVANE_CONTROL_SOFTWARE_ENTRIES(EXPORT_NAME)
#undef EXPORT_NAME
};

TEST(ControlSoftwareLoad, FindsTheLibraryInTheProgramFolderByPlainName) {
    CshisFolder folder(kFixture);
    LoadedControlSoftware cs(folder.path());
    ASSERT_TRUE(cs.LoadLibraryCshis()) << cs.loadError().toStdString();
    EXPECT_TRUE(cs.isLoaded());
    for (const char* e : kExports) EXPECT_TRUE(cs.has(e)) << e;

    char path[251];
    std::memset(path, ' ', 250);
    path[250] = '\0';
    EXPECT_EQ(cs.csGetVersionEx(path), 5123);

    char code[10];
    int32_t len = 10;
    EXPECT_EQ(cs.hiscsGetHospID(code, &len), 0);  // bound to the export csGetHospID
    EXPECT_EQ(QByteArray(code, 10), "3501200000");
}

TEST(ControlSoftwareLoad, SecondLoadKeepsTheLoadedLibrary) {
    CshisFolder folder(kFixture);
    LoadedControlSoftware cs(folder.path());
    ASSERT_TRUE(cs.LoadLibraryCshis());
    ASSERT_TRUE(folder.openControls());
    ASSERT_EQ(cs.csOpenCom(0), 0);

    // With the file gone a new load could not succeed: true means nothing was loaded again.
    ASSERT_TRUE(QFile::remove(folder.libraryPath()));
    EXPECT_TRUE(cs.LoadLibraryCshis());
    EXPECT_EQ(cs.csOpenCom(0), 0);
    EXPECT_EQ(folder.calls("csOpenCom"), 2);  // the same instance saw both calls
}

TEST(ControlSoftwareLoad, FailedLoadCallsNothingAndIsTriedAgain) {
    QTemporaryDir empty;
    LoadedControlSoftware cs(empty.path(), QStringLiteral("cshis-absent"));
    EXPECT_FALSE(cs.LoadLibraryCshis());
    EXPECT_FALSE(cs.isLoaded());
    EXPECT_FALSE(cs.loadError().isEmpty());
    EXPECT_FALSE(cs.has("csOpenCom"));
    EXPECT_EQ(cs.csOpenCom(0), std::nullopt);
    char buf[78];
    int32_t len = 78;
    EXPECT_EQ(cs.hisGetRegisterBasic(buf, &len), std::nullopt);

    CshisFolder folder(kFixture);
    ASSERT_TRUE(QFile::copy(folder.libraryPath(), empty.filePath("libcshis-absent.so")));
    EXPECT_TRUE(cs.LoadLibraryCshis());
    EXPECT_TRUE(cs.loadError().isEmpty());
    EXPECT_EQ(cs.csOpenCom(0), 0);
}

TEST(ControlSoftwareLoad, MissingExportsAreReportedAndNeverCalled) {
    CshisFolder folder(kFixture, CSHIS_PARTIAL_LIBRARY);
    folder.insert("p");
    LoadedControlSoftware cs(folder.path());
    ASSERT_TRUE(cs.LoadLibraryCshis());
    ASSERT_TRUE(folder.openControls());

    for (const char* e : kExports) {
        const bool leftOut = std::strcmp(e, "csGetVersionEx") == 0 ||
                             std::strcmp(e, "hisReadPrescription") == 0;
        EXPECT_EQ(cs.has(e), !leftOut) << e;
    }
    char path[251] = {};
    EXPECT_EQ(cs.csGetVersionEx(path), std::nullopt);
    char a[3660], b[1320], c[360], d[120];
    int32_t la = 3660, lb = 1320, lc = 360, ld = 120;
    EXPECT_EQ(cs.hisReadPrescription(a, &la, b, &lb, c, &lc, d, &ld), std::nullopt);
    EXPECT_EQ(la, 3660);  // nothing touched the lengths

    // The rest of the library stays usable.
    char basic[78];
    int32_t len = 78;
    EXPECT_EQ(cs.hisGetRegisterBasic(basic, &len), 0);
    EXPECT_EQ(QByteArray(basic + 32, 10), "B220715631");
    EXPECT_EQ(folder.callLog(), QStringList{"hisGetRegisterBasic(78)"});
}

TEST(ControlSoftwareLoad, UnloadMakesEveryEntryMissing) {
    CshisFolder folder(kFixture);
    LoadedControlSoftware cs(folder.path());
    ASSERT_TRUE(cs.LoadLibraryCshis());
    cs.unload();
    EXPECT_FALSE(cs.isLoaded());
    EXPECT_FALSE(cs.has("csOpenCom"));
    EXPECT_EQ(cs.csCloseCom(), std::nullopt);
    EXPECT_TRUE(cs.LoadLibraryCshis());
    EXPECT_EQ(cs.csCloseCom(), 0);
}

TEST(ControlSoftwareLoad, MissingEntryMessageNamesTheExport) {
    const QString text = ControlSoftware::missingEntryMessage("hisReadPrescription");
    EXPECT_TRUE(text.contains(QLatin1String("hisReadPrescription")));
    EXPECT_TRUE(text.contains(QLatin1String("cshis.dll")));
}

}  // namespace
