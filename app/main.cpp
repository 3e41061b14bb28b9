#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/command_line_options.h"
#include "app/harvio_app.h"
#include "http/connect_to_map.h"
#include "platform/program_version.h"
#include "platform/qt/chinese_translation.h"

namespace {

constexpr int kUsageError = 2;

}  // namespace

int main(int argc, char** argv) {
    // Read before the application object exists, so that --version needs no display.
    QStringList arguments;
    for (int index = 0; index < argc; ++index) arguments << QString::fromLocal8Bit(argv[index]);
    const CommandLineOptions options = ParseCommandLine(arguments);
    if (!options.error.empty()) {
        std::fprintf(stderr, "harvio: %s\n", options.error.c_str());
        return kUsageError;
    }
    if (options.versionAsked) {
        std::printf("harvio %s\n", ProgramVersion());
        return 0;
    }
    QApplication application(argc, argv);
    // Ties the window to the menu entry, so that the desktop shows the entry's name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(HARVIO_DESKTOP_ID));
    InstallChineseTranslation(application);
    for (const std::string& rule : options.connectTo) {
        if (!AddConnectTo(rule)) {
            std::fprintf(stderr, "harvio: --connect-to wants HOST1:PORT1:HOST2:PORT2, not \"%s\"\n",
                         rule.c_str());
            return kUsageError;
        }
    }
    CHarvioApp harvio(options);
    // Another marker name lets a copy run beside the first (the tests start the program so);
    // the two still never share a result journal.
    if (const char* name = std::getenv("HARVIO_INSTANCE_NAME"); name != nullptr && *name != '\0')
        harvio.SetInstanceLockNameForTesting(name);
    harvio.InitInstance();
    return 0;
}
