#include "Frm_Init.h"

#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "KeyNav.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "PointerFile.h"
#include "YearFile.h"
#include "YearFiles.h"
#include "YearProcedures.h"

namespace {
const QString Title = QStringLiteral("初期設定");
}

Frm_Init::Frm_Init(QWidget *parent)
    : QDialog(parent),
      t_Nendo(new QLineEdit(this)),
      cmd_Set(new QPushButton(QStringLiteral("設定"), this)) {
    setWindowTitle(QStringLiteral("開始年度"));
    setObjectName(QStringLiteral("Frm_Init"));
    t_Nendo->setObjectName(QStringLiteral("t_Nendo"));
    t_Nendo->setAlignment(Qt::AlignRight);
    t_Nendo->setMaxLength(8);
    t_Nendo->setFixedWidth(60);
    cmd_Set->setObjectName(QStringLiteral("cmd_Set"));
    cmd_Set->setAutoDefault(false);

    auto *label1 = new QLabel(QStringLiteral("処理年度を入力：平成"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto *label3 = new QLabel(QStringLiteral("年度"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    auto *label2 = new QLabel(QStringLiteral("（和暦）"), this);
    label2->setObjectName(QStringLiteral("Label2"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(t_Nendo, 0, 1);
    grid->addWidget(label3, 0, 2);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(cmd_Set, 2, 0, 1, 3, Qt::AlignRight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmd_Set, &QPushButton::clicked, this, &Frm_Init::cmd_Set_Click);
    auto *keys = new KeyNav(this);
    keys->field(t_Nendo).button(cmd_Set);
    keys->on(cmd_Set, {Qt::Key_Right, Qt::Key_Down}, KeyNav::Action::Pass);
    t_Nendo->setFocus();
}

void Frm_Init::cmd_Set_Click() {
    QString message;
    const QString year = YearProcedures::typedYear(t_Nendo->text(), &message);
    if (year.isEmpty()) {
        MsgBox::show(this, message, Title);
        return;
    }
    const QString name = M_Cow::yearFileName(year);
    QString error;
    // A year file that is already there (the pointer file was lost) holds that year's
    // data: it is kept and made current, never replaced by the template.
    const bool ready = QFile::exists(name) ? bool(YearFile::open(name, &error))
                                           : YearFiles::createFromTemplate(name, &error);
    if (!ready) {
        MsgBox::show(this, error, Title);
        return;
    }
    if (!WritePointerFile(name, &error)) {
        MsgBox::show(this, error, Title);
        return;
    }
    yearText_ = year;
    accept();
}
