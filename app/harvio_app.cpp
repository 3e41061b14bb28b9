#include "app/harvio_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTimer>
#include <csignal>
#include <cstring>

#include "app/app_icon.h"
#include "app/ca_file_setting.h"
#include "app/harvio_dlg.h"
#include "app/user_agent_setting.h"
#include "engine/search_engine.h"
#include "http/proxy_settings.h"
#include "http/tls_trust.h"
#include "http/trace_output.h"
#include "http/user_agent.h"
#include "platform/administrator_check.h"
#include "platform/program_paths.h"
#include "platform/qt/message_box.h"
#include "ui/dialogs/saved_proxy.h"
#include "ui/search/result_journal.h"

namespace {

constexpr int kDirectoryEngine = 1;
constexpr int kProxyCheckBox = 1038;
constexpr int kSiteBox = 1039;

const QString kAlreadyRunning =
    QStringLiteral("系统检测到您已经运行了该个程序。\r\n请退出另外一个程序再运行该程序！");

// Offers the rows a run that did not end normally left in the journal; the journal then goes on
// from them, or starts empty.
void OfferRestore(ResultJournal& journal, CHarvioDlg& window) {
    const std::vector<JournalRow> rows = journal.ReadRows();
    if (rows.empty()) {
        journal.Clear();
        return;
    }
    const QString question = QStringLiteral("上次运行未正常结束，是否恢复 %1 条搜索结果？").arg(rows.size());
    if (ShowMessageBox(nullptr, question, MessageButtons::YesNo) == MessageAnswer::Yes) {
        window.RestoreRows(rows);
    } else {
        journal.Clear();
    }
}

}  // namespace

CHarvioApp::CHarvioApp(CommandLineOptions options) : options_(std::move(options)) {}

bool CHarvioApp::InitInstance() {
    // A peer closing a connection must end a request with an error, not the program.
    std::signal(SIGPIPE, SIG_IGN);

    if (!instanceLock_.Acquire(instanceLockName_)) {
        ShowMessageBox(nullptr, kAlreadyRunning, MessageButtons::Ok);
        return false;
    }

    GetSearchEngine(kDirectoryEngine)->LoadRules();
    const QString iniPath = QFile::decodeName(SettingsFilePath().c_str());
    SetExtraCaFile(ConfiguredCaFile(iniPath));
    const std::string configuredUserAgent = ConfiguredUserAgent(iniPath);
    if (!configuredUserAgent.empty() && !SetUserAgent(configuredUserAgent))
        TraceLine("harvio.ini: userAgent holds control characters; the built-in User-Agent is sent");
    if (options_.userAgent) SetUserAgent(*options_.userAgent);  // the command line wins

    // Rights are needed where the program writes into its own folder; installed, it writes only
    // into the user's folders, so any user may run it.
    if (CurrentProgramLayout() == ProgramLayout::kBuildFolder && !IsAdministrator()) {
        ShowMessageBox(nullptr, QStringLiteral("请以管理员权限运行此程序！"), MessageButtons::Ok);
        return false;
    }

    // The journal's own lock keeps a second window off it also where the single-instance
    // marker does not reach (another network namespace, another marker name).
    ResultJournal journal;
    const std::string journalPath = ResultJournalPath();
    switch (journal.Open(journalPath)) {
        case ResultJournal::OpenStatus::kHeldByAnotherWindow:
            ShowMessageBox(nullptr, kAlreadyRunning, MessageButtons::Ok);
            return false;
        case ResultJournal::OpenStatus::kFailed:
            ShowMessageBox(
                nullptr,
                QStringLiteral("无法打开搜索结果的恢复日志 %1（%2）。\n本次运行的搜索结果只保存在内存中。")
                    .arg(QFile::decodeName(journalPath.c_str()),
                         QString::fromLocal8Bit(std::strerror(journal.OpenError()))),
                MessageButtons::Ok);
            break;
        case ResultJournal::OpenStatus::kOpened:
            break;
    }

    QApplication::setWindowIcon(ApplicationIcon());  // the about box shows it too
    CHarvioDlg window;
    if (journal.IsOpen()) {
        OfferRestore(journal, window);
        window.AttachJournal(&journal);
    }
    if (options_.site && !window.ChooseSiteForThisRun(QString::fromStdString(*options_.site))) {
        window.SetStatusText(QStringLiteral("没有名为“%1”的站点，搜索%2。")
                                 .arg(QString::fromStdString(*options_.site),
                                      qobject_cast<QComboBox*>(window.Control(kSiteBox))->currentText()));
    }
    if (options_.searchKeyword) {
        const QString keyword = QString::fromStdString(*options_.searchKeyword);
        QTimer::singleShot(0, &window, [&window, keyword] { window.StartSearchFor(keyword); });
    }
    if (std::optional<SavedProxy> saved = LoadSavedProxy()) {
        proxyAddress.Set(saved->address);
        proxyPortText.Set(saved->portText);
    }
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
