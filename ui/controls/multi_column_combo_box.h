#pragma once

#include <QComboBox>

class CComboBoxEdit;

// The condition boxes for industry and business model: a drop-down list from which the user can
// only pick one of the entries. A box asked for with an edit field types into a CComboBoxEdit.
class CMultiColumnComboBox : public QComboBox {
    Q_OBJECT
public:
    enum class Kind { DropDownList, WithEditField };
    explicit CMultiColumnComboBox(QWidget* parent = nullptr, Kind kind = Kind::DropDownList);

    // The edit field, or nullptr for a drop-down list.
    CComboBoxEdit* Edit() const { return edit_; }

private:
    CComboBoxEdit* edit_ = nullptr;
};
