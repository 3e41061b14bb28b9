#include "ui/dialogs/dlg_set_http.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>

#include "http/proxy_settings.h"
#include "platform/program_paths.h"
#include "platform/qt/message_box.h"
#include "ui/dialogs/dialog_font.h"
#include "ui/dialogs/dialog_units.h"
#include "ui/dialogs/saved_proxy.h"

namespace {
constexpr int kWidthUnits = 184;
constexpr int kHeightUnits = 114;
constexpr int kAddressDots = 3;  // four groups of digits
}  // namespace

bool IsAllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char byte : text)
        if (byte < '0' || byte > '9') return false;
    return true;
}

DLG_SetHttp::DLG_SetHttp(std::function<void()> untickProxyBox, QWidget* parent)
    : QDialog(parent),
      untickProxyBox(std::move(untickProxyBox)),
      addressEdit(new QLineEdit(this)),
      portEdit(new QLineEdit(this)) {
    setWindowTitle(QString::fromUtf8("设置代理"));
    setFont(DialogFont());
    addressEdit->setObjectName(QStringLiteral("address"));
    portEdit->setObjectName(QStringLiteral("port"));
    auto* proxyType = new QComboBox(this);
    proxyType->setObjectName(QStringLiteral("proxyType"));
    proxyType->addItem(QString::fromUtf8("HTTP代理"));
    proxyType->setCurrentIndex(0);
    if (ProxyValuesAreSaved()) {
        // Kept values are shown, so that a user who ticks the box again need not type them anew.
        QStringDecoder fromGbk("GBK");
        addressEdit->setText(fromGbk(QByteArray::fromStdString(proxyAddress.Get())));
        portEdit->setText(fromGbk(QByteArray::fromStdString(proxyPortText.Get())));
    }

    auto* frame = new QGroupBox(this);
    auto* fields = new QGridLayout(frame);
    fields->addWidget(new QLabel(QString::fromUtf8("代理方式"), frame), 0, 0);
    fields->addWidget(proxyType, 0, 1);
    fields->addWidget(new QLabel(QString::fromUtf8("地        址"), frame), 1, 0);
    fields->addWidget(addressEdit, 1, 1);
    fields->addWidget(new QLabel(QString::fromUtf8("端        口"), frame), 2, 0);
    fields->addWidget(portEdit, 2, 1);

    auto* ok = new QPushButton(QString::fromUtf8("确定"), this);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), this);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    setFixedSize(DialogUnitsToPixels(this, kWidthUnits, kHeightUnits));

    connect(ok, &QPushButton::clicked, this, &DLG_SetHttp::accept);
    connect(cancel, &QPushButton::clicked, this, &DLG_SetHttp::reject);
}

void DLG_SetHttp::accept() {
    QStringEncoder toGbk("GBK");
    proxyAddress.Set(QByteArray(toGbk(addressEdit->text())).toStdString());
    proxyPortText.Set(QByteArray(toGbk(portEdit->text())).toStdString());

    std::string address = proxyAddress.Get();
    if (address.empty()) return Refuse("请输入地址！", addressEdit);
    for (int dot = 1; dot <= kAddressDots; ++dot) {
        size_t position = address.find('.');
        if (position == std::string::npos) return Refuse("请正确输入地址！", addressEdit);
        if (!IsAllDigits(address.substr(0, position))) return Refuse("请输入以数字组成的地址！", addressEdit);
        address.erase(0, position + 1);
        if (dot == kAddressDots && !IsAllDigits(address))
            return Refuse("请输入以数字组成的地址！", addressEdit);
    }
    const std::string port = proxyPortText.Get();
    if (port.empty()) return Refuse("请输入端口号！", portEdit);
    if (!IsAllDigits(port)) return Refuse("请输入以数字组成的端口号！", portEdit);
    // Only an entry that passed is kept for the next start.
    if (ProxyValuesAreSaved() && !SaveProxy({proxyAddress.Get(), port})) {
        ShowMessageBox(this,
                       QString::fromUtf8("代理设置只在本次运行有效：无法保存到 %1。")
                           .arg(QFile::decodeName(UserSettingsFilePath().c_str())),
                       MessageButtons::Ok);
    }
    QDialog::accept();
}

void DLG_SetHttp::reject() {
    if (untickProxyBox) untickProxyBox();
    QDialog::reject();
}

void DLG_SetHttp::Refuse(const char* message, QLineEdit* box) {
    ShowMessageBox(this, QString::fromUtf8(message), MessageButtons::Ok);
    box->setFocus();
}
