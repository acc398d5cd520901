// Replays a fuzz target's corpus through its entry function, as a unit test: every
// seed and every crash input found by a fuzz run must pass without a fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::filesystem::path corpusFolder;

std::vector<std::uint8_t> readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzCorpus, EveryInputRunsCleanly) {
    ASSERT_TRUE(std::filesystem::is_directory(corpusFolder)) << corpusFolder;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(corpusFolder))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no seeds in " << corpusFolder;
    for (const auto& f : files) {
        // Named before it runs: a crash ends the process before any trace is printed.
        std::fprintf(stderr, "replaying %s\n", f.filename().string().c_str());
        const std::vector<std::uint8_t> bytes = readFile(f);
        // A heap copy of exactly the file's size, so a read past the end is a real one.
        auto* copy = new std::uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)];
        std::copy(bytes.begin(), bytes.end(), copy);
        EXPECT_EQ(LLVMFuzzerTestOneInput(copy, bytes.size()), 0) << f;
        delete[] copy;
    }
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    corpusFolder = argv[1];
    return RUN_ALL_TESTS();
}
