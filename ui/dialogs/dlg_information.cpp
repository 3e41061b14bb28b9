#include "ui/dialogs/dlg_information.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_font.h"
#include "ui/dialogs/dialog_units.h"

namespace {
constexpr int kWidthUnits = 285;
constexpr int kHeightUnits = 174;
constexpr double kTitleScale = 1.5;
}  // namespace

DlgInformation::DlgInformation(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("软件说明"));
    setFont(DialogFont());
    auto* title = new QLabel(QString::fromUtf8("软件说明"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * kTitleScale);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(new QLabel(QString::fromUtf8("软件说明："), this));
    for (const char* note :
         {"1、本软件支持关键字、地区、行业，经营模式四个可选条件，关键字只支持产品和行业关键字。",
          "2、请勿使用笼统、模糊关键字，如“公司”、“产品”、“汽配”、“医疗器械”此类。"}) {
        auto* label = new QLabel(QString::fromUtf8(note), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch();
    auto* close = new QPushButton(QString::fromUtf8("确定"), this);
    close->setDefault(true);
    layout->addWidget(close, 0, Qt::AlignRight);
    setFixedSize(DialogUnitsToPixels(this, kWidthUnits, kHeightUnits));
    connect(close, &QPushButton::clicked, this, &DlgInformation::reject);
}
