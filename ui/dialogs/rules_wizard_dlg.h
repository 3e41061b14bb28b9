#pragma once

#include <QDialog>
#include <QStringList>
#include <string>

#include "ui/wizard/learning_session.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// "规则向导": learns a site profile from captured companies. The user opens the folders `capture`
// wrote, selects a value in a company's page text and names its field; the dialog shows the rule
// learned for each field and on how many captured companies it gives a value, and saves the
// profile (the base profile's other keys kept) into the user's profile folder.
class CRulesWizardDlg : public QDialog {
    Q_OBJECT
public:
    // baseProfilePath: the rules file of the site the window searches; its search and list rules
    // go into the saved profile.
    explicit CRulesWizardDlg(std::string baseProfilePath, QWidget* parent = nullptr);
    ~CRulesWizardDlg() override;

    // Adds the captured companies the folder holds (it, or its sub-folders); false, with a
    // message, when it holds none.
    bool OpenFolder(const QString& folder);

signals:
    // A profile was written to the path.
    void profileSaved(const QString& path);

private:
    QWidget* BuildCompanySide();
    QWidget* BuildPageSide();
    QWidget* BuildEvidenceSide();
    void ConnectControls();

    void OnOpenFolderClicked();
    void OnCompanyChosen();
    void OnPageChosen();
    void OnSelectionChanged();
    void OnNameValue();
    void OnForgetValue();
    void OnNamedValueEdited(int row, int column);
    void OnSave();

    int ChosenCompany() const;        // -1: none
    std::string ChosenLabel() const;  // GBK
    QString SelectedValue() const;
    void ShowNamedValues();
    void ShowEvidence();
    void SetStatus(const QString& text);

    const std::string baseProfilePath_;
    QPushButton* openFolderButton_ = nullptr;
    QListWidget* companyList_ = nullptr;
    QComboBox* pageBox_ = nullptr;
    QPlainTextEdit* pageText_ = nullptr;
    QComboBox* fieldBox_ = nullptr;
    QPushButton* nameButton_ = nullptr;
    QTableWidget* namedValues_ = nullptr;
    QPushButton* forgetButton_ = nullptr;
    QTableWidget* fieldRules_ = nullptr;
    QTableWidget* companyValues_ = nullptr;
    QLineEdit* siteNameBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* status_ = nullptr;
    QStringList companyNames_;
    LearningSession session_;  // last: its worker is joined before the widgets go
};
