#include "frmAbout.h"

#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "MsgBox.h"
#include "Version.h"

frmAbout::frmAbout(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QStringLiteral("Moriva");
    setWindowTitle(title + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));

    auto *picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QIcon(QStringLiteral(":/moriva/moriva.png")).pixmap(48, 48));
    auto *lblTitle = new QLabel(title, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lblTitle->setFont(big);
    auto *lblVersion = new QLabel(QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3")
                                      .arg(MORIVA_VERSION_MAJOR)
                                      .arg(MORIVA_VERSION_MINOR)
                                      .arg(MORIVA_VERSION_PATCH),
                                  this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto *lblDescription = new QLabel(QString::fromUtf8(MORIVA_DESCRIPTION), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);

    auto *cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto *cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    auto *grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(cmdOK, 0, 2);
    grid->addWidget(cmdSysInfo, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

// This platform has no system information tool to start.
void frmAbout::cmdSysInfo_Click() {
    MsgBox::show(this, QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
}
