#include "Frm_Year.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Amount.h"
#include "CurrentYear.h"
#include "KeyNav.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "MsgText.h"
#include "YearProcedures.h"

namespace {
const QString Title = QStringLiteral("年度設定");
}

Frm_Year::Frm_Year(CurrentYear &year, QWidget *parent)
    : QWidget(parent),
      year_(year),
      t_Year(new QLineEdit(this)),
      cmd_Set(new QPushButton(QStringLiteral("設定"), this)),
      cmd_Cancel(new QPushButton(QStringLiteral("キャンセル"), this)) {
    setObjectName(QStringLiteral("Frm_Year"));
    setWindowTitle(QStringLiteral("処理年度設定"));
    t_Year->setObjectName(QStringLiteral("t_Year"));
    t_Year->setAlignment(Qt::AlignRight);
    t_Year->setMaxLength(8);
    t_Year->setFixedWidth(60);
    t_Year->setText(year_.text());
    cmd_Set->setObjectName(QStringLiteral("cmd_Set"));
    cmd_Cancel->setObjectName(QStringLiteral("cmd_Cancel"));
    for (QPushButton *b : {cmd_Set, cmd_Cancel}) b->setAutoDefault(false);

    auto *label2 = new QLabel(QStringLiteral("処理年度（和暦）："), this);
    label2->setObjectName(QStringLiteral("Label2"));
    auto *label3 = new QLabel(QStringLiteral("年度"), this);
    label3->setObjectName(QStringLiteral("Label3"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(label2, 0, 0);
    grid->addWidget(t_Year, 0, 1);
    grid->addWidget(label3, 0, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd_Set);
    buttons->addWidget(cmd_Cancel);
    grid->addLayout(buttons, 1, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmd_Set, &QPushButton::clicked, this, &Frm_Year::cmd_Set_Click);
    connect(cmd_Cancel, &QPushButton::clicked, this, &Frm_Year::cmd_Cancel_Click);
    (new KeyNav(this))->field(t_Year).button(cmd_Set).button(cmd_Cancel);
    t_Year->setFocus();
}

void Frm_Year::cmd_Set_Click() {
    QString message;
    const QString year = YearProcedures::typedYear(t_Year->text(), &message);
    if (year.isEmpty()) {
        MsgBox::show(this, message, Title);
        return;
    }
    const QString name = M_Cow::yearFileName(year);
    // A year whose file is there is switched to; any other is made from the current
    // year, whichever of the two comes first in time.
    const bool exists = QFileInfo::exists(name);
    bool valued = false;
    if (!exists && !valuedBeforeRollOver(name, &valued)) return;
    QString error;
    if (!(exists ? YearProcedures::switchYear(year_, name, &error)
                 : YearProcedures::rollOver(year_, name, &error))) {
        // The year's fresh valuation was saved before the rollover failed: the current
        // file did change, as opening 印刷 would have changed it.
        if (valued)
            error = MsgText::beforeDetail(
                error,
                QStringLiteral("（年度更新の前に、棚卸の計算し直しだけは %1 に保存しました。）")
                    .arg(year_.fileName()));
        MsgBox::show(this, error, Title);
        return;
    }
    MsgBox::show(this, exists ? QStringLiteral("処理年度を切り替えました。")
                              : QStringLiteral("データ年度更新が終わりました。"));
    close();
}

// The rollover carries the closing values as stored, and they are stored only when the
// print window values the year: a calf or an expense changed since then would go into
// the new year with a stale value, so the year is valued first unless the farmer
// declines. False when the rollover must not go ahead (declined or refused).
bool Frm_Year::valuedBeforeRollOver(const QString &fileName, bool *valued) {
    QString error;
    const auto stale = YearProcedures::calvesToValue(year_, fileName, &error);
    if (stale && *stale == 0) return true;
    if (stale &&
        MsgBox::show(this,
                     QStringLiteral("印刷の画面を開いた後に変更された子牛が %1 頭あります"
                                    "（経費の変更や、まだ棚卸を計算していない子牛を含みます）。\n"
                                    "棚卸を計算し直してから年度を更新します。\n"
                                    "キャンセルを押すと、何も変えずに戻ります。")
                         .arg(Amount::format(*stale)),
                     Title, MsgBox::Buttons::OkCancel) != MsgBox::Answer::Ok)
        return false;
    if (stale && YearProcedures::valueCalves(year_, fileName, &error)) return *valued = true;
    MsgBox::show(this, error, Title);
    return false;
}

void Frm_Year::cmd_Cancel_Click() {
    close();
}
