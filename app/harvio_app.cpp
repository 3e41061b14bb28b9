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
#include "book/window_book.h"
#include "engine/search_engine.h"
#include "http/proxy_settings.h"
#include "http/tls_trust.h"
#include "http/trace_output.h"
#include "http/user_agent.h"
#include "platform/administrator_check.h"
#include "platform/program_paths.h"
#include "platform/qt/message_box.h"
#include "platform/window_lock.h"
#include "ui/dialogs/saved_proxy.h"
#include "ui/search/result_journal.h"

namespace {

constexpr int kProxyCheckBox = 1038;
constexpr int kSiteBox = 1039;

const QString kAlreadyRunning =
    QStringLiteral("系统检测到您已经运行了该个程序。\r\n请退出另外一个程序再运行该程序！");

QString Path(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

// The lead book the window keeps its rows in; none (after telling the user) when the window
// runs without it.
std::unique_ptr<WindowBook> OpenWindowBook() {
    auto book = std::make_shared<LeadBook>();
    const std::string path = LeadBookPath();
    const BookOpenResult opened = book->Open(path, BookDurability::kEveryCommit);
    switch (opened.status) {
        case BookOpenStatus::kOpened:
            break;
        case BookOpenStatus::kMovedAside:
            ShowMessageBox(nullptr,
                           QStringLiteral("客户名录 %1 无法读取，已另存为 %2，并新建了一个空的客户名录。")
                               .arg(Path(path), Path(opened.movedTo)),
                           MessageButtons::Ok);
            break;
        case BookOpenStatus::kNewer:
            ShowMessageBox(
                nullptr,
                QStringLiteral("客户名录 %1 由更新版本的 Harvio 建立，本版本无法使用，文件保持不变。\n"
                               "本次运行的搜索结果只保存在内存中。")
                    .arg(Path(path)),
                MessageButtons::Ok);
            return nullptr;
        case BookOpenStatus::kFailed:
            ShowMessageBox(nullptr,
                           QStringLiteral("无法打开客户名录 %1（%2）。\n本次运行的搜索结果只保存在内存中。")
                               .arg(Path(path), QString::fromLocal8Bit(opened.reason.c_str())),
                           MessageButtons::Ok);
            return nullptr;
    }
    return std::make_unique<WindowBook>(book);
}

// The rows an earlier version's journal left: read once, then the journal is retired (renamed,
// never emptied) and its rows go on in the book like any other. Without a book the journal stays
// as it is, for a later run that has one.
void TakeOverJournal(WindowBook* book) {
    if (book == nullptr) return;
    const std::string path = ResultJournalPath();
    QFile file(Path(path));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    const QByteArray text = file.readAll();
    file.close();
    const JournalContents journal = ReadJournal(std::string_view(text.constData(), text.size()));
    const std::string retired = RetireJournal(path);
    if (journal.rows.empty() && !text.isEmpty()) {
        ShowMessageBox(nullptr,
                       QStringLiteral("上次运行的搜索结果日志无法读取，已另存为 %1。").arg(Path(retired)),
                       MessageButtons::Ok);
    }
    for (const JournalRow& row : journal.rows) book->AddRow(row.cells, row.checked);
    book->Flush();
}

// Offers the rows a run that did not end normally left; the book then goes on from them, or
// forgets them.
void OfferRestore(WindowBook& book, CHarvioDlg& window) {
    const std::vector<WindowRow> rows = book.StoredRows();
    if (rows.empty()) return;
    const QString question = QStringLiteral("上次运行未正常结束，是否恢复 %1 条搜索结果？").arg(rows.size());
    if (ShowMessageBox(nullptr, question, MessageButtons::YesNo) == MessageAnswer::Yes) {
        window.RestoreRows(rows);
    } else {
        book.RemoveRows(rows.back().id);
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

    // The window's own lock keeps a second window off the book's rows also where the
    // single-instance marker does not reach (another network namespace, another marker name).
    switch (windowLock_.Acquire(WindowLockPath())) {
        case WindowLock::Status::kHeldByAnotherWindow:
            ShowMessageBox(nullptr, kAlreadyRunning, MessageButtons::Ok);
            return false;
        case WindowLock::Status::kFailed:
        case WindowLock::Status::kHeld:
            break;
    }
    std::unique_ptr<WindowBook> book = OpenWindowBook();
    TakeOverJournal(book.get());

    QApplication::setWindowIcon(ApplicationIcon());  // the about box shows it too
    CHarvioDlg window;
    if (book) {
        OfferRestore(*book, window);
        window.AttachBook(book.get());
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
