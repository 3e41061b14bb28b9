#include "ui/search/detail_pane.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVariant>

#include "ui/controls/book_dates.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/search/gbk_text.h"

namespace {

// A box keeps the bytes of its cell, since not every byte sequence survives a trip through
// Unicode and back.
constexpr char kGbkBytesProperty[] = "gbkBytes";
constexpr int kFirstFoundBox = 1051;
constexpr int kLastExportedBox = 1052;

void SetBoxText(QWidget* box, const QByteArray& gbk) {
    const QString text = FromGbk(gbk);
    if (auto* edit = qobject_cast<QLineEdit*>(box)) {
        edit->setText(text);
        edit->setCursorPosition(0);  // show a long value from its start
    } else if (auto* richEdit = qobject_cast<QPlainTextEdit*>(box)) {
        richEdit->setPlainText(text);
    } else if (auto* label = qobject_cast<QLabel*>(box)) {
        label->setText(text);
    } else {
        return;
    }
    box->setProperty(kGbkBytesProperty, gbk);
}

}  // namespace

const std::array<DetailBoxCell, 17> kDetailBoxCells = {{{1013, 2},
                                                        {1014, 8},
                                                        {1023, 11},
                                                        {1016, 12},
                                                        {1017, 3},
                                                        {1018, 9},
                                                        {1019, 5},
                                                        {1020, 6},
                                                        {1021, 7},
                                                        {1022, 10},
                                                        {1032, 14},
                                                        {1031, 15},
                                                        {1033, 16},
                                                        {1029, 17},
                                                        {1034, 18},
                                                        {1030, 19},
                                                        {1048, 1}}};

void ShowRowInDetailPane(const CMyListCtrl& list, int row, const ControlById& control) {
    if (row < 0 || row >= list.GetItemCount()) return;
    for (const DetailBoxCell& cell : kDetailBoxCells) {
        if (QWidget* box = control(cell.boxId)) SetBoxText(box, list.GetItemText(row, cell.subItem));
    }
}

void ShowBookDates(const RowBookFacts& facts, const ControlById& control) {
    const bool known = facts.firstFound != 0;
    if (auto* box = qobject_cast<QLineEdit*>(control(kFirstFoundBox)))
        box->setText(known ? BookDate(facts.firstFound) : QString());
    if (auto* box = qobject_cast<QLineEdit*>(control(kLastExportedBox)))
        box->setText(known ? LastExportedText(facts.lastExported) : QString());
}

QByteArray DetailBoxBytes(const QWidget* box) {
    if (box == nullptr) return {};
    const QVariant kept = box->property(kGbkBytesProperty);
    return kept.isValid() ? kept.toByteArray() : QByteArray();
}
