#include "ui/dialogs/sms_login.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>

#include "platform/qt/message_box.h"
#include "ui/dialogs/dialog_font.h"
#include "ui/dialogs/dialog_units.h"

namespace {
constexpr int kWidthUnits = 187;
constexpr int kHeightUnits = 111;
}  // namespace

SMSLogin::SMSLogin(const WebLookupSettings& settings, BrowserOpener openBrowser, QWidget* parent)
    : QDialog(parent),
      settings(settings),
      openBrowser(std::move(openBrowser)),
      accountEdit(new QLineEdit(this)),
      passwordEdit(new QLineEdit(this)) {
    setWindowTitle(QString::fromUtf8("Quorvan-短信登录"));
    setFont(DialogFont());
    accountEdit->setObjectName(QStringLiteral("account"));
    passwordEdit->setObjectName(QStringLiteral("password"));
    passwordEdit->setEchoMode(QLineEdit::Password);

    auto* login = new QPushButton(QString::fromUtf8("登录"), this);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), this);
    auto* newAccount = new QPushButton(QString::fromUtf8("新开户"), this);
    login->setObjectName(QStringLiteral("login"));
    cancel->setObjectName(QStringLiteral("cancel"));
    newAccount->setObjectName(QStringLiteral("newAccount"));
    login->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QString::fromUtf8("用户名："), this), 0, 0);
    fields->addWidget(accountEdit, 0, 1);
    fields->addWidget(new QLabel(QString::fromUtf8("密    码："), this), 1, 0);
    fields->addWidget(passwordEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(login);
    buttons->addWidget(cancel);
    buttons->addWidget(newAccount);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setFixedSize(DialogUnitsToPixels(this, kWidthUnits, kHeightUnits));

    connect(login, &QPushButton::clicked, this, &SMSLogin::OnLogin);
    connect(cancel, &QPushButton::clicked, this, &SMSLogin::reject);
    connect(newAccount, &QPushButton::clicked, this, &SMSLogin::OnNewAccount);
}

void SMSLogin::OnLogin() {
    QStringEncoder toGbk("GBK");
    const QByteArray account = toGbk(accountEdit->text());
    const QByteArray password = toGbk(passwordEdit->text());
    if (account.isEmpty() || password.isEmpty()) return;
    openBrowser(SmsLoginAddress(settings.smsPlatformBase, account, password));
    accept();
}

void SMSLogin::OnNewAccount() {
    ShowMessageBox(this,
                   QString::fromUtf8("新用户开户请联系『Quorvan』短信开户客服。\n客服电话：%1\n客服  QQ：%2")
                       .arg(settings.serviceTelephone, settings.serviceQq),
                   MessageButtons::Ok);
}
