#include "http/trace_output.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(TraceOutputTest, EveryTraceEndsInExactlyOneLineEnd) {
    TempDir dir;
    std::FILE* stream = std::fopen(dir.File("trace").c_str(), "w");
    SetTraceStream(stream);
    TraceLine("Get Url:%s", "http://a.test/");
    TraceLine("exist un match key value.\n");
    TraceLine("%s", "");
    TraceLine("%d requests", 500);
    SetTraceStream(nullptr);
    std::fclose(stream);
    EXPECT_EQ(ReadAll(dir.File("trace")),
              "Get Url:http://a.test/\nexist un match key value.\n\n500 requests\n");
}

TEST(TraceOutputTest, LinesOfSeveralThreadsNeverInterleave) {
    TempDir dir;
    std::FILE* stream = std::fopen(dir.File("trace").c_str(), "w");
    SetTraceStream(stream);
    const int kThreads = 4;
    const int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const std::string payload(3000, static_cast<char>('a' + t));
            for (int i = 0; i < kLines; ++i) TraceLine("%d:%s", t, payload.c_str());
        });
    }
    for (std::thread& thread : threads) thread.join();
    SetTraceStream(nullptr);
    std::fclose(stream);

    std::istringstream lines(ReadAll(dir.File("trace")));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.size(), 3002u);
        const int thread = line[0] - '0';
        ASSERT_EQ(line, std::to_string(thread) + ":" + std::string(3000, static_cast<char>('a' + thread)));
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

TEST(TraceOutputTest, ControlBytesAreWrittenEscaped) {
    TempDir dir;
    std::FILE* stream = std::fopen(dir.File("trace").c_str(), "w");
    SetTraceStream(stream);
    TraceLine("Get Url:%s", "http://a.test/\x1b[2J\x07x");
    TraceLine("Get Url:%s\n", "http://a.test/\r\nSet:\x7f\x01\t");
    TraceLine("%s", "\xd6\xd0 keeps GBK text and \\x1b as it is");
    SetTraceStream(nullptr);
    std::fclose(stream);
    EXPECT_EQ(ReadAll(dir.File("trace")),
              "Get Url:http://a.test/\\x1b[2J\\x07x\n"
              "Get Url:http://a.test/\\x0d\\x0aSet:\\x7f\\x01\\x09\n"
              "\xd6\xd0 keeps GBK text and \\x1b as it is\n");
}

}  // namespace
