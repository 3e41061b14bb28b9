#include "ui/controls/combo_box_edit.h"

CComboBoxEdit::CComboBoxEdit(QWidget* parent) : QLineEdit(parent) {}
