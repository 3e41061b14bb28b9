#include "ui/dialogs/about_dlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/program_version.h"
#include "ui/dialogs/dialog_font.h"
#include "ui/dialogs/dialog_units.h"

namespace {
constexpr int kWidthUnits = 235;
constexpr int kHeightUnits = 72;
constexpr int kIconPixels = 32;
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("关于「Quorvan」"));
    setFont(DialogFont());
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(icon.pixmap(kIconPixels, kIconPixels));
    auto* title = new QLabel(QString::fromUtf8("Quorvan V2.4 "), this);
    auto* version = new QLabel(QString::fromUtf8("版本 %1").arg(QString::fromLatin1(ProgramVersion())), this);
    version->setObjectName(QStringLiteral("version"));
    auto* ok = new QPushButton(QString::fromUtf8("确定"), this);
    ok->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(iconLabel, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addStretch();
    layout->addLayout(texts, 1);
    layout->addWidget(ok, 0, Qt::AlignVCenter);
    setFixedSize(DialogUnitsToPixels(this, kWidthUnits, kHeightUnits));
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
}
