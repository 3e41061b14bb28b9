#pragma once

#include <QDialog>

#include "ui/dialogs/web_lookup_settings.h"
#include "ui/dialogs/web_lookups.h"

class QLineEdit;

// The SMS platform log-in: opens the platform's log-in page for the typed account and password
// and closes; "新开户" tells whom to call for a new account.
class SMSLogin : public QDialog {
    Q_OBJECT
public:
    explicit SMSLogin(const WebLookupSettings& settings, BrowserOpener openBrowser = OpenInBrowser,
                      QWidget* parent = nullptr);

private:
    void OnLogin();
    void OnNewAccount();

    WebLookupSettings settings;
    BrowserOpener openBrowser;
    QLineEdit* accountEdit;
    QLineEdit* passwordEdit;
};
