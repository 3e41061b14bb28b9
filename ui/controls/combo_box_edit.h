#pragma once

#include <QLineEdit>

// The edit field of a CMultiColumnComboBox that has one. The main window's boxes have none.
class CComboBoxEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CComboBoxEdit(QWidget* parent = nullptr);
};
