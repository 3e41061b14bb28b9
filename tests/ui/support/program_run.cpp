#include "ui/support/program_run.h"

#include <QApplication>
#include <QTimer>

#include "app/harvio_app.h"
#include "app/harvio_dlg.h"
#include "platform/administrator_check.h"
#include "ui/controls/my_list_ctrl.h"

ProgramRun RunProgramOnce(const std::string& instanceName, MessageAnswer startAnswer) {
    ProgramRun run;
    SetAdministratorCheckForTesting(true);
    SetNextMessageAnswers({startAnswer});
    // A start refused before the window runs leaves this timer pending: its context ends it with
    // this call, so it never fires into a later run.
    QObject context;
    QTimer::singleShot(0, &context, [&run] {
        auto* window = qobject_cast<CHarvioDlg*>(QApplication::activeModalWidget());
        if (window == nullptr) return;
        run.windowShown = true;
        const CMyListCtrl& list = window->ResultList();
        for (int row = 0; row < list.GetItemCount(); ++row) {
            JournalRow shown;
            for (int cell = 0; cell < kResultColumnCount; ++cell)
                shown.cells[cell] = list.GetItemText(row, cell).toStdString();
            shown.checked = list.GetCheck(row);
            run.rows.push_back(std::move(shown));
        }
        SetNextMessageAnswers({MessageAnswer::Yes});
        window->reject();
    });
    CHarvioApp app;
    app.SetInstanceLockNameForTesting(instanceName);
    app.InitInstance();
    run.messages = TakeShownMessages();
    StopScriptingMessageBoxes();
    SetAdministratorCheckForTesting(std::nullopt);
    return run;
}

QString RestoreQuestion(int rows) {
    return QString::fromUtf8("上次运行未正常结束，是否恢复 %1 条搜索结果？").arg(rows);
}
