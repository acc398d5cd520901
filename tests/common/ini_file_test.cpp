#include "common/ini_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Big5 bytes of the keys used below, written out so the fixtures do not depend
// on the converter under test.
const QByteArray kPort = QByteArray::fromHex("c5aaa564bef7b0f0");  // 讀卡機埠
const QByteArray kSave = QByteArray::fromHex("c078a673b8eaaec6");  // 儲存資料
const QString kPortKey = QStringLiteral("讀卡機埠");
const QString kSaveKey = QStringLiteral("儲存資料");

// A settings file as a Windows machine leaves it: CP950, CRLF, a comment, a line
// without "=", blank lines, and a second "system" section spelled differently.
const QByteArray kFixture =
    "; written by hand\r\n"
    "[system]\r\n" +
    kPort + "=3\r\n" + kSave +
    " = 0 \r\n"
    "Zoom=\"0.9\"\r\n"
    "Quoted='a b'\r\n"
    "Half=\"x\r\n"
    "Empty=\r\n"
    "no equals sign here\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "\r\n"
    "[ICcardShow]\r\n"
    "CloudLabData=1145,10,20\r\n"
    "\r\n"
    "[SYSTEM]\r\n" +
    kPort +
    "=7\r\n"
    "Later=1\r\n";

class IniFileTest : public ::testing::Test {
  protected:
    QString path() const { return dir.filePath("tolvane.ini"); }
    void put(const QByteArray& bytes) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray bytes() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir dir;
};

TEST_F(IniFileTest, ReadsWithTheProfileRules) {
    put(kFixture);
    IniFile ini(path());
    const struct {
        QString section, key, expected;
    } cases[] = {
        {"system", kPortKey, "3"},
        {"System", kPortKey, "3"},  // first section wins, any case
        {"system", kSaveKey, "0"},  // blanks around key and value
        {"system", "zoom", "0.9"},  // quotes removed
        {"system", "Quoted", "a b"},
        {"system", "Half", "\"x"},  // an unmatched quote stays
        {"system", "Empty", ""},    // present but empty is not missing
        {"system", "dup", "first"},
        {"system", "no equals sign here", "<default>"},
        {"system", "Later", "<default>"},  // only in the second "system"
        {"system", "CloudLabData", "<default>"},
        {"ICCARDSHOW", "cloudlabdata", "1145,10,20"},
        {"missing", kPortKey, "<default>"},
        {"written by hand", "x", "<default>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, "<default>"), c.expected)
            << c.section.toStdString() << "/" << c.key.toStdString();
    EXPECT_EQ(ini.sections(), (QStringList{"system", "ICcardShow"}));
    EXPECT_TRUE(ini.hasKey("SYSTEM", "empty"));
    EXPECT_FALSE(ini.hasKey("system", "Later"));
    EXPECT_EQ(bytes(), kFixture);  // reading never writes
}

TEST_F(IniFileTest, IntegersAndBooleans) {
    const struct {
        const char* stored;
        int integer;   // read with default 42
        bool boolean;  // read with default true
    } cases[] = {
        {"1", 1, true},    {"0", 0, false},     {"-5", -5, true},          {" 7 ", 7, true},
        {"$1F", 31, true}, {"0x10", 16, true},  {"abc", 42, true},         {"", 42, true},
        {"1.5", 42, true}, {"12abc", 42, true}, {"99999999999", 42, true}, {"-0", 0, false},
    };
    for (const auto& c : cases) {
        put(QByteArray("[s]\r\nk=") + c.stored + "\r\n");
        IniFile ini(path());
        EXPECT_EQ(ini.readInteger("s", "k", 42), c.integer) << c.stored;
        EXPECT_EQ(ini.readBool("s", "k", true), c.boolean) << c.stored;
    }
    put("[s]\r\nk=yes\r\n");
    EXPECT_FALSE(IniFile(path()).readBool("s", "k", false));  // not an integer: default
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsCreatedOnWrite) {
    IniFile ini(path());
    EXPECT_EQ(ini.readString("system", kPortKey, "1"), "1");
    EXPECT_EQ(ini.readInteger("system", "n", -1), -1);
    EXPECT_TRUE(ini.readSection("system").isEmpty());
    EXPECT_TRUE(ini.deleteKey("system", kPortKey));
    EXPECT_TRUE(ini.eraseSection("system"));
    EXPECT_FALSE(QFile::exists(path()));  // deleting nothing writes nothing

    ASSERT_TRUE(ini.writeString("system", kPortKey, QStringLiteral("雲端")));
    EXPECT_EQ(bytes(), "[system]\r\n" + kPort + "=" + QByteArray::fromHex("b6b3badd") + "\r\n");
}

TEST_F(IniFileTest, WritesKeepEverythingElseByteForByte) {
    auto replaced = [](QByteArray b, const QByteArray& from, const QByteArray& to) {
        return b.replace(from, to);
    };
    const struct {
        const char* name;
        std::function<bool(IniFile&)> write;
        QByteArray expected;
    } cases[] = {
        {"replace in place, first match, file's spelling",
         [](IniFile& i) { return i.writeInteger("SYSTEM", kPortKey, 5); },
         replaced(kFixture, kPort + "=3\r\n", kPort + "=5\r\n")},
        {"new key at the end of its section, before the blank line",
         [](IniFile& i) { return i.writeBool("system", "New", true); },
         replaced(kFixture, "dup=second\r\n\r\n", "dup=second\r\nNew=1\r\n\r\n")},
        {"new section at the end of the file",
         [](IniFile& i) { return i.writeString("drugsort", "A", "Y"); },
         kFixture + "[drugsort]\r\nA=Y\r\n"},
        {"delete the first matching key", [](IniFile& i) { return i.deleteKey("system", "DUP"); },
         replaced(kFixture, "Dup=first\r\n", "")},
        {"erase the first matching section",
         [](IniFile& i) { return i.eraseSection("icCardShow"); },
         replaced(kFixture, "[ICcardShow]\r\nCloudLabData=1145,10,20\r\n\r\n", "")},
        {"characters outside the code page are stored as ?",
         [](IniFile& i) { return i.writeString("system", "Zoom", QStringLiteral("한1")); },
         replaced(kFixture, "Zoom=\"0.9\"", "Zoom=?1")},
        {"a line break in a value cannot start a new line",
         [](IniFile& i) { return i.writeString("system", "Empty", "a\r\n[x]\nb=c"); },
         replaced(kFixture, "Empty=\r\n", "Empty=a [x] b=c\r\n")},
    };
    for (const auto& c : cases) {
        put(kFixture);
        IniFile ini(path());
        EXPECT_TRUE(c.write(ini)) << c.name;
        EXPECT_EQ(bytes(), c.expected) << c.name;
    }
}

TEST_F(IniFileTest, SectionsInFileOrderAndWholeSectionReplace) {
    put("[drugfield]\r\nB=10\r\nA = ' 20 '\r\n;note\r\nB=30\r\n\r\n[labfield]\r\nX=1\r\n");
    IniFile ini(path());
    const IniFile::Pairs before{{"B", "10"}, {"A", " 20 "}, {"B", "30"}};
    EXPECT_EQ(ini.readSection("DRUGFIELD"), before);

    const IniFile::Pairs after{{"C", "1"}, {"C", "2"}, {"藥品名稱", "200"}};
    ASSERT_TRUE(ini.writeSection("drugfield", after));
    EXPECT_EQ(ini.readSection("drugfield"), after);
    // The comment keeps its line; the pairs take the old pairs' lines.
    EXPECT_EQ(bytes(), "[drugfield]\r\nC=1\r\nC=2\r\n;note\r\n" +
                           QByteArray::fromHex("c3c4ab7ea657bad9") +
                           "=200\r\n\r\n[labfield]\r\nX=1\r\n");

    // Fewer pairs than before: the rest go, the comment and the unknown line stay.
    put("[f]\r\n;a\r\nA=1\r\nodd line\r\nB=2\r\nC=3\r\n\r\n[g]\r\n");
    ASSERT_TRUE(ini.writeSection("f", {{"Z", "9"}}));
    EXPECT_EQ(bytes(), "[f]\r\n;a\r\nZ=9\r\nodd line\r\n\r\n[g]\r\n");
    // More pairs than a section with only a comment had: after its content.
    put("[f]\r\n;only\r\n\r\n[g]\r\n");
    ASSERT_TRUE(ini.writeSection("f", {{"A", "1"}, {"B", "2"}}));
    EXPECT_EQ(bytes(), "[f]\r\n;only\r\nA=1\r\nB=2\r\n\r\n[g]\r\n");
    put("[drugfield]\r\nB=10\r\n\r\n[labfield]\r\nX=1\r\n");

    ASSERT_TRUE(ini.writeSection("labsort", {}));
    EXPECT_TRUE(bytes().endsWith("X=1\r\n[labsort]\r\n"));
    EXPECT_TRUE(ini.hasSection("labsort"));
}

TEST_F(IniFileTest, LineEndsAndEncodingOfTheFileAreKept) {
    const struct {
        const char* name;
        QByteArray before, after;
    } cases[] = {
        {"bare LF file", "[s]\na=1\n", "[s]\na=1\nb=2\n"},
        {"last line without a line end", "[s]\r\na=1", "[s]\r\na=1\r\nb=2\r\n"},
        {"UTF-8 file with a byte-order mark", "\xEF\xBB\xBF[s]\r\na=\xE9\x9B\xB2\r\n",
         "\xEF\xBB\xBF[s]\r\na=\xE9\x9B\xB2\r\nb=2\r\n"},
    };
    for (const auto& c : cases) {
        put(c.before);
        IniFile ini(path());
        ASSERT_TRUE(ini.writeInteger("s", "b", 2)) << c.name;
        EXPECT_EQ(bytes(), c.after) << c.name;
    }
    EXPECT_EQ(IniFile(path()).readString("s", "a", {}), QStringLiteral("雲"));
}

TEST_F(IniFileTest, FailedWritesChangeNothing) {
    put(kFixture);
    IniFile ini(path());
    EXPECT_FALSE(ini.writeString("system", "a=b", "1"));
    EXPECT_FALSE(ini.writeString("system", "", "1"));
    EXPECT_FALSE(ini.writeString("sys]tem", "k", "1"));
    EXPECT_FALSE(ini.writeSection("system", {{"ok", "1"}, {"bad\nkey", "2"}}));
    EXPECT_EQ(bytes(), kFixture);

    IniFile nowhere(dir.filePath("missing/tolvane.ini"));
    EXPECT_FALSE(nowhere.writeString("system", kPortKey, "1"));
    EXPECT_FALSE(QDir(dir.filePath("missing")).exists());

    // A file that cannot be read must not be overwritten with a fresh one.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(IniFile(dir.filePath("folder.ini")).writeString("s", "k", "v"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"tolvane.ini"});
}

TEST_F(IniFileTest, EveryOperationReadsTheFileAfresh) {
    put("[s]\r\nk=1\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("s", "k", 0), 1);
    put("[s]\r\nk=2\r\nother=x\r\n");  // changed behind its back
    EXPECT_EQ(ini.readInteger("s", "k", 0), 2);
    ASSERT_TRUE(ini.writeInteger("s", "k", 3));
    EXPECT_EQ(bytes(), "[s]\r\nk=3\r\nother=x\r\n");
}

}  // namespace
