#include "dlg_DataClr.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "MsgBox.h"
#include "YearProcedures.h"

namespace {
const QString Title = QStringLiteral("初期化");
}

dlg_DataClr::dlg_DataClr(CurrentYear &year, QWidget *parent)
    : QDialog(parent),
      year_(year),
      OKButton(new QPushButton(QStringLiteral("OK"), this)),
      CancelButton(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this)) {
    setObjectName(QStringLiteral("dlg_DataClr"));
    setWindowTitle(Title);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    OKButton->setDefault(true);

    auto *label1 = new QLabel(QStringLiteral("※現在のデータをすべてクリアします。"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    QFont font = label1->font();
    font.setPointSize(12);
    font.setBold(true);
    label1->setFont(font);
    label1->setStyleSheet(QStringLiteral("color: red"));

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto *row = new QHBoxLayout(this);
    row->addWidget(label1, 1, Qt::AlignVCenter);
    row->addSpacing(16);
    row->addLayout(buttons);
    row->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(OKButton, CancelButton);

    connect(OKButton, &QPushButton::clicked, this, &dlg_DataClr::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    OKButton->setFocus();
}

void dlg_DataClr::OKButton_Click() {
    QString error;
    if (!YearProcedures::clearData(year_, &error)) {
        // Nothing was cleared; the farmer may try again or cancel.
        MsgBox::show(this, error, Title);
        return;
    }
    MsgBox::show(this, QStringLiteral("データクリア終了"), Title);
    accept();
}
