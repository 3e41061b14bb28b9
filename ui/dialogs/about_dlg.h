#pragma once

#include <QDialog>

// The about box: the application icon, the product line and the version the build carries.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
