#include "app/main_window_template.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/controls/multi_column_combo_box.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/dialogs/dialog_units.h"

namespace {

enum class Kind {
    Frame,         // group frame with a title
    Label,         // static text
    Edit,          // single-line edit box, scrolls horizontally
    ReadOnlyEdit,  // detail box
    RichEdit,      // read-only multi-line box with a vertical scroll bar
    DropList,      // drop-down list without an edit field
    MultiColumn,   // drop-down list of the multi-column class
    List,          // the result list
    Button,
    HiddenCheck,  // check box created hidden
    Picture,      // picture control without behaviour
};

struct TemplateControl {
    Kind kind;
    int id;  // -1: a label or frame nobody addresses
    const char* text;
    int x, y, width, height;
};

// Rows of the detail pane: one every 17 units from 260, labels two units lower than boxes.
constexpr int DetailRow(int row) {
    return 260 + 17 * row;
}

constexpr TemplateControl kMainWindowTemplate[] = {
    // Search conditions.
    {Kind::Frame, -1, "搜索条件", 7, 3, 300, 66},
    {Kind::Label, -1, "关 键 字", 14, 17, 32, 8},
    {Kind::Edit, 1001, "", 48, 15, 100, 12},
    {Kind::Label, -1, "站    点", 158, 17, 32, 8},
    {Kind::DropList, 1039, "", 192, 15, 66, 12},
    {Kind::Button, 1040, "规则向导", 260, 15, 40, 12},
    {Kind::Label, -1, "省    份", 14, 34, 32, 8},
    {Kind::DropList, 1003, "", 48, 32, 100, 12},
    {Kind::Label, -1, "城    市", 158, 34, 32, 8},
    {Kind::DropList, 1028, "", 192, 32, 108, 12},
    {Kind::Label, -1, "行    业", 14, 51, 32, 8},
    {Kind::MultiColumn, 1027, "", 48, 49, 100, 12},
    {Kind::Label, -1, "经营模式", 158, 51, 32, 8},
    {Kind::MultiColumn, 1004, "", 192, 49, 108, 12},
    {Kind::HiddenCheck, 1038, "代理上网", 246, 15, 54, 12},
    // Results and state.
    {Kind::Frame, -1, "搜索结果/状态", 312, 3, 144, 66},
    {Kind::Label, -1, "公司数量/总页数约", 320, 24, 76, 8},
    {Kind::Label, 1035, "0/0", 398, 24, 52, 8},
    {Kind::Label, -1, "起始页/当前页", 320, 44, 76, 8},
    {Kind::Label, 1036, "0/0", 398, 44, 52, 8},
    // The result list and its buttons.
    {Kind::List, 1005, "", 7, 73, 449, 153},
    {Kind::Button, 1006, "开始搜索", 7, 230, 64, 14},
    {Kind::Button, 1007, "停止搜索", 84, 230, 64, 14},
    {Kind::Button, 1008, "导出全部", 161, 230, 64, 14},
    {Kind::Button, 1009, "导出传真", 238, 230, 64, 14},
    {Kind::Button, 1010, "导出手机", 315, 230, 64, 14},
    {Kind::Button, 1011, "清除结果", 392, 230, 64, 14},
    // Details: the company on the left, its contacts and figures in two columns on the right.
    {Kind::Frame, -1, "详细信息", 7, 248, 449, 120},
    {Kind::Label, -1, "公司名称", 14, DetailRow(0) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1013, "", 50, DetailRow(0), 104, 12},
    {Kind::Label, 1048, "", 156, DetailRow(0) + 2, 10, 8},
    {Kind::Button, 1131, "百度", 168, DetailRow(0), 26, 12},
    {Kind::Label, -1, "公司地址", 14, DetailRow(1) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1014, "", 50, DetailRow(1), 144, 12},
    {Kind::Label, -1, "主营产品", 14, DetailRow(2) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1016, "", 50, DetailRow(2), 144, 12},
    {Kind::Label, -1, "公司简介", 14, DetailRow(3) + 2, 34, 8},
    {Kind::RichEdit, 1023, "", 50, DetailRow(3), 144, 29},
    // What the lead book knows of the company.
    {Kind::Label, -1, "首次收录", 14, DetailRow(5) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1051, "", 50, DetailRow(5), 50, 12},
    {Kind::Label, -1, "最后导出", 106, DetailRow(5) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1052, "", 142, DetailRow(5), 52, 12},
    {Kind::Label, -1, "联 系 人", 204, DetailRow(0) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1017, "", 240, DetailRow(0), 82, 12},
    {Kind::Label, -1, "联系电话", 330, DetailRow(0) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1019, "", 366, DetailRow(0), 84, 12},
    {Kind::Label, -1, "手机号码", 204, DetailRow(1) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1020, "", 240, DetailRow(1), 82, 12},
    {Kind::Label, -1, "传    真", 330, DetailRow(1) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1021, "", 366, DetailRow(1), 84, 12},
    {Kind::Label, -1, "邮    编", 204, DetailRow(2) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1018, "", 240, DetailRow(2), 82, 12},
    {Kind::Label, -1, "网    址", 330, DetailRow(2) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1022, "", 366, DetailRow(2), 58, 12},
    {Kind::Button, 1128, "打开", 426, DetailRow(2), 24, 12},
    {Kind::Label, -1, "企业类型", 204, DetailRow(3) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1032, "", 240, DetailRow(3), 82, 12},
    {Kind::Label, -1, "经营模式", 330, DetailRow(3) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1031, "", 366, DetailRow(3), 84, 12},
    {Kind::Label, -1, "成立时间", 204, DetailRow(4) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1033, "", 240, DetailRow(4), 82, 12},
    {Kind::Label, -1, "法人代表", 330, DetailRow(4) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1029, "", 366, DetailRow(4), 84, 12},
    {Kind::Label, -1, "员工人数", 204, DetailRow(5) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1034, "", 240, DetailRow(5), 82, 12},
    {Kind::Label, -1, "注册资本", 330, DetailRow(5) + 2, 34, 8},
    {Kind::ReadOnlyEdit, 1030, "", 366, DetailRow(5), 84, 12},
    // Bottom line.
    {Kind::Label, -1, "执行状态:", 7, 376, 36, 8},
    {Kind::Label, 1037, "欢迎使用『Quorvan』!", 45, 376, 250, 8},
    {Kind::Button, 1, "短信", 304, 373, 48, 14},
    {Kind::Button, 1127, "软件说明", 356, 373, 48, 14},
    {Kind::Button, 2, "退出", 408, 373, 48, 14},
    {Kind::Picture, 1050, "", 0, 0, 0, 0},
};

QWidget* CreateControl(const TemplateControl& control, QWidget& window) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
        case Kind::Frame:
            return new QGroupBox(text, &window);
        case Kind::Label:
        case Kind::Picture:
            return new QLabel(text, &window);
        case Kind::Edit:
            return new QLineEdit(&window);
        case Kind::ReadOnlyEdit: {
            auto* edit = new QLineEdit(&window);
            edit->setReadOnly(true);
            return edit;
        }
        case Kind::RichEdit: {
            auto* edit = new QPlainTextEdit(&window);
            edit->setReadOnly(true);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            return edit;
        }
        case Kind::DropList:
            return new QComboBox(&window);
        case Kind::MultiColumn:
            return new CMultiColumnComboBox(&window);
        case Kind::List:
            return new CMyListCtrl(&window);
        case Kind::Button: {
            auto* button = new QPushButton(text, &window);
            // Enter goes to the window's default command; a focused button still takes it itself.
            button->setAutoDefault(false);
            return button;
        }
        case Kind::HiddenCheck: {
            auto* check = new QCheckBox(text, &window);
            check->setVisible(false);
            return check;
        }
    }
    return nullptr;
}

}  // namespace

QHash<int, QWidget*> CreateMainWindowControls(QWidget& window) {
    QHash<int, QWidget*> controls;
    for (const TemplateControl& control : kMainWindowTemplate) {
        QWidget* widget = CreateControl(control, window);
        // Both corners converted, so that controls sharing an edge in units share it in pixels.
        const QSize topLeft = DialogUnitsToPixels(&window, control.x, control.y);
        const QSize bottomRight =
            DialogUnitsToPixels(&window, control.x + control.width, control.y + control.height);
        widget->setGeometry(topLeft.width(), topLeft.height(), bottomRight.width() - topLeft.width(),
                            bottomRight.height() - topLeft.height());
        if (control.id >= 0) {
            widget->setObjectName(QString::number(control.id));
            controls.insert(control.id, widget);
        }
    }
    return controls;
}
