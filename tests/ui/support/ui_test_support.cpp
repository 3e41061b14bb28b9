#include "ui/support/ui_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/program_directory.h"

void EnsureTestApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "harvio_ui_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives for the whole test program
}

bool WaitFor(const std::function<bool()>& condition, int limitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs) return false;
        QTest::qWait(5);
    }
    return true;
}

std::filesystem::path SourceDir() {
    if (const char* dir = std::getenv("HARVIO_SOURCE_DIR")) return dir;
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path();
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void UseAsProgramDirectory(const TempDir& dir) {
    std::filesystem::create_directories(dir.File("config"));
    std::filesystem::copy_file(SourceDir() / "config" / "Province.txt", dir.File("config") / "Province.txt");
    SetProgramDirectoryForTesting(dir.Path().string());
}
