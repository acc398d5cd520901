// The serial layer on a pseudo-terminal: port names, what is opened, line
// settings by port group, exact reads and the time limits.

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "reader_fixture.h"

namespace readertest {
namespace {

using reader::LineSettings;
constexpr LineSettings k9600E81{9600, reader::kParityEven, 8, reader::kStopOne};

class SerialLayer : public ReaderOnPty {};

TEST_F(SerialLayer, PortNamesComeFromTheEnvironmentOrTtyS) {
    unsetenv("READER_COM8");
    EXPECT_EQ(reader::portDeviceName(7), "/dev/ttyS7");
    setenv("READER_COM8", "/tmp/elsewhere", 1);
    EXPECT_EQ(reader::portDeviceName(7), "/tmp/elsewhere");
    unsetenv("READER_COM8");
}

TEST_F(SerialLayer, OnlyExistingTerminalsAreOpened) {
    char dir[] = "/tmp/readerXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string missing = std::string(dir) + "/COM1";
    const std::string plain = std::string(dir) + "/plain";
    FILE* f = fopen(plain.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);

    setenv("READER_COM1", missing.c_str(), 1);
    EXPECT_EQ(reader::OpenPort(0, k9600E81), reader::kPortFailed);
    EXPECT_EQ(reader::lastSystemError(), ENOENT);
    struct stat st;
    EXPECT_NE(stat(missing.c_str(), &st), 0) << "the port name must not be created";
    setenv("READER_COM1", plain.c_str(), 1);
    EXPECT_EQ(reader::OpenPort(0, k9600E81), reader::kPortFailed);
    EXPECT_EQ(reader::lastSystemError(), ENOTTY);
    EXPECT_FALSE(reader::portIsOpen());
    unlink(plain.c_str());
    rmdir(dir);
}

TEST_F(SerialLayer, ArgumentsOutOfRangeOpenNothing) {
    const struct {
        unsigned index;
        LineSettings s;
    } bad[] = {{8, k9600E81},        {0, {109, 2, 8, 0}},  {0, {256001, 2, 8, 0}},
               {0, {9600, 5, 8, 0}}, {0, {9600, 2, 3, 0}}, {0, {9600, 2, 9, 0}},
               {0, {9600, 2, 8, 3}}};
    for (const auto& b : bad) {
        EXPECT_EQ(reader::OpenPort(b.index, b.s), reader::kPortFailed);
        EXPECT_FALSE(reader::portIsOpen());
    }
}

TEST_F(SerialLayer, FlowControlFollowsThePortGroup) {
    // COM4 uses CTS flow control, COM8 none; both raw at 9600 baud.
    for (unsigned index : {3u, 7u}) {
        const std::string var = "READER_COM" + std::to_string(index + 1);
        setenv(var.c_str(), fw->devicePath().c_str(), 1);
        ASSERT_EQ(reader::OpenPort(index, k9600E81), 0);
        const int probe = ::open(fw->devicePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(probe, 0);
        termios t{};
        ASSERT_EQ(tcgetattr(probe, &t), 0);
        close(probe);
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, index < 4) << var;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(cfgetospeed(&t), B9600);
        EXPECT_EQ(reader::ClosePort(), 0);
        unsetenv(var.c_str());
    }
}

TEST_F(SerialLayer, CloseWithoutPortAndZeroLengths) {
    EXPECT_EQ(reader::ClosePort(), reader::kPortFailed);
    ASSERT_EQ(reader::OpenPort(0, k9600E81), 0);
    std::uint8_t b[1];
    EXPECT_EQ(reader::ReadExact(0, b), 0);
    EXPECT_EQ(reader::WriteAll(b, 0), reader::kPortFailed);
    EXPECT_EQ(reader::ReadExact(1, nullptr), reader::kPortFailed);
    EXPECT_EQ(reader::ClosePort(), 0);
    EXPECT_EQ(reader::ClosePort(), reader::kPortFailed);
}

TEST_F(SerialLayer, ReadOfEightWhereSevenArriveFailsAndKeepsThem) {
    ASSERT_EQ(reader::OpenPort(0, k9600E81), 0);
    fw->sendRaw({1, 2, 3, 4, 5, 6, 7});
    std::uint8_t dest[8] = {0, 0, 0, 0, 0, 0, 0, 0xEE};
    int arrived = 0;
    const auto start = clock.nowMs();
    EXPECT_EQ(reader::ReadExact(8, dest, &arrived), reader::kPortFailed);
    EXPECT_EQ(reader::lastSystemError(), ETIMEDOUT);
    EXPECT_GT(clock.nowMs() - start, reader::kTransferLimitMs);
    EXPECT_EQ(arrived, 7);
    EXPECT_EQ(std::vector<std::uint8_t>(dest, dest + 8),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 0xEE}));
}

TEST_F(SerialLayer, LineThatHungUpFailsAtOnce) {
    ASSERT_EQ(reader::OpenPort(0, k9600E81), 0);
    fw.reset();  // the other end goes away
    std::uint8_t b;
    const auto start = clock.nowMs();
    EXPECT_EQ(reader::ReadExact(1, &b), reader::kPortFailed);
    EXPECT_LT(clock.nowMs() - start, reader::kTransferLimitMs) << "no waiting on a dead line";
}

TEST_F(SerialLayer, WriteDiscardsStaleInput) {
    ASSERT_EQ(reader::OpenPort(0, k9600E81), 0);
    fw->sendRaw({9, 9, 9});
    usleep(20000);
    const std::uint8_t wake[8] = {};
    ASSERT_EQ(reader::WriteAll(wake, 8), 0);
    std::uint8_t status = 0xEE;
    ASSERT_EQ(reader::ReadExact(1, &status), 0);
    EXPECT_EQ(status, 0) << "the wake-up answer, not a stale byte";
}

// The one test that waits the real 7 seconds: a silent line fails after a little
// more than the limit, and the wait sleeps rather than spins.
TEST_F(SerialLayer, SilentLineFailsAfterSevenRealSecondsWithoutSpinning) {
    reader::setClock(nullptr);
    ASSERT_EQ(reader::OpenPort(0, k9600E81), 0);
    std::uint8_t b;
    const auto wall0 = std::chrono::steady_clock::now();
    const std::clock_t cpu0 = std::clock();
    EXPECT_EQ(reader::ReadExact(1, &b), reader::kPortFailed);
    const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
    const auto wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    EXPECT_GT(wall, 7.0);
    EXPECT_LT(wall, 8.5);
    EXPECT_LT(cpu, 0.5);
}

}  // namespace
}  // namespace readertest
