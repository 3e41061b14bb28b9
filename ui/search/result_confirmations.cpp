#include "ui/search/result_confirmations.h"

#include "platform/qt/message_box.h"

bool ConfirmClearResults(QWidget* parent) {
    return ShowMessageBox(parent,
                          QStringLiteral("温馨提示：您是否已将搜索结果导出保存!\n"
                                         "点击「是」将清除搜索到的所有信息，点击「否」取消该操作。"),
                          MessageButtons::YesNo) == MessageAnswer::Yes;
}

bool ConfirmExit(QWidget* parent) {
    return ShowMessageBox(parent,
                          QStringLiteral("温馨提示：您是否已将搜索结果导出保存!\n"
                                         "点击「是」将退出该应用程序，点击「否」取消该操作"),
                          MessageButtons::YesNo) == MessageAnswer::Yes;
}
