#pragma once

#include <QDialog>

// The about box: the application icon and the version.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
