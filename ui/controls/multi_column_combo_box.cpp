#include "ui/controls/multi_column_combo_box.h"

#include "ui/controls/combo_box_edit.h"

CMultiColumnComboBox::CMultiColumnComboBox(QWidget* parent, Kind kind) : QComboBox(parent) {
    if (kind == Kind::WithEditField) {
        setEditable(true);
        edit_ = new CComboBoxEdit(this);
        setLineEdit(edit_);
        // Typed text selects an entry; it never becomes a new one.
        setInsertPolicy(QComboBox::NoInsert);
    } else {
        setEditable(false);
    }
}
