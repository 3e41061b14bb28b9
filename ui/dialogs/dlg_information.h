#pragma once

#include <QDialog>

// The notes on how to search: which conditions there are and which keywords to avoid.
class DlgInformation : public QDialog {
    Q_OBJECT
public:
    explicit DlgInformation(QWidget* parent = nullptr);
};
