#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(AtomicFile, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("data.bin");
    const QByteArray first(
        "\x00\x01\xFF"
        "first",
        8);
    QString error = "stale";
    ASSERT_TRUE(writeFileAtomically(path, first, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(readAll(path), first);

    ASSERT_TRUE(writeFileAtomically(path, QByteArray("2")));
    EXPECT_EQ(readAll(path), QByteArray("2"));
    ASSERT_TRUE(writeFileAtomically(path, QByteArray()));
    EXPECT_EQ(readAll(path), QByteArray());
    EXPECT_EQ(entries(dir.path()), QStringList{"data.bin"});
}

TEST(AtomicFile, TextIsWrittenInTheSystemCodePage) {
    QTemporaryDir dir;
    const QString path = dir.filePath("check.log");
    ASSERT_TRUE(writeTextFileAtomically(path, QStringLiteral("讀卡機Timeout!\r\n")));
    EXPECT_EQ(readAll(path), QByteArray::fromHex("c5aaa564bef754696d656f7574210d0a"));
}

// Tests run as root, so a read-only folder would not stop the write; a missing
// folder, a file standing where the folder should be and a folder standing where
// the file should be do.
TEST(AtomicFile, FailureIsReportedAndLeavesNothingBehind) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFileAtomically(dir.filePath("plain"), QByteArray("keep")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        {"missing folder", dir.filePath("missing/tolvane.ini")},
        {"file in place of folder", dir.filePath("plain/tolvane.ini")},
        {"folder in place of file", dir.filePath("folder")},
        {"empty name", QString()},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(writeFileAtomically(c.path, QByteArray("new"), &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    EXPECT_EQ(readAll(dir.filePath("plain")), QByteArray("keep"));
    EXPECT_TRUE(QFileInfo(dir.filePath("folder")).isDir());
    EXPECT_TRUE(entries(dir.filePath("folder")).isEmpty());
    EXPECT_EQ(entries(dir.path()), (QStringList{"folder", "plain"}));
}

// A disk that fills up half way through the file: the write fails, the old file
// stays, no temporary file is left. The file is smaller than a write buffer, so
// a buffered write would meet the full disk only in the last flush. (Tests run as
// root; a file-size limit stops root as it stops anyone.)
TEST(AtomicFile, AWriteCutShortIsAFailure) {
    QTemporaryDir dir;
    const QString path = dir.filePath("data.bin");
    ASSERT_TRUE(writeFileAtomically(path, QByteArray("old")));
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = writeFileAtomically(path, QByteArray(9000, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("old"));
    EXPECT_EQ(entries(dir.path()), QStringList{"data.bin"});
}

}  // namespace
