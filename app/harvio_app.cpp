#include "app/harvio_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <csignal>

#include "app/app_icon.h"
#include "app/ca_file_setting.h"
#include "app/harvio_dlg.h"
#include "engine/search_engine.h"
#include "http/proxy_settings.h"
#include "http/tls_trust.h"
#include "platform/administrator_check.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"

namespace {

constexpr int kDirectoryEngine = 1;
constexpr int kProxyCheckBox = 1038;

}  // namespace

CHarvioApp::CHarvioApp(CommandLineOptions options) : options_(std::move(options)) {}

bool CHarvioApp::InitInstance() {
    // A peer closing a connection must end a request with an error, not the program.
    std::signal(SIGPIPE, SIG_IGN);

    if (!instanceLock_.Acquire(instanceLockName_)) {
        ShowMessageBox(nullptr,
                       QStringLiteral("系统检测到您已经运行了该个程序。\r\n请退出另外一个程序再运行该程序！"),
                       MessageButtons::Ok);
        return false;
    }

    GetSearchEngine(kDirectoryEngine)->LoadRules();
    SetExtraCaFile(ConfiguredCaFile(QFile::decodeName((ConfigDirectory() + "harvio.ini").c_str())));

    if (!IsAdministrator()) {
        ShowMessageBox(nullptr, QStringLiteral("请以管理员权限运行此程序！"), MessageButtons::Ok);
        return false;
    }

    QApplication::setWindowIcon(ApplicationIcon());  // the about box shows it too
    CHarvioDlg window;
    if (options_.proxyHost) {
        // A proxy from the command line serves every search, as if the proxy box were ticked.
        proxyAddress.Set(*options_.proxyHost);
        proxyPortText.Set(options_.proxyPort);
        if (auto* proxyBox = qobject_cast<QCheckBox*>(window.Control(kProxyCheckBox)))
            proxyBox->setChecked(true);
    }
    window.exec();
    return false;
}
