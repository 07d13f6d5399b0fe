#include "Frm_Cost.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "DataSource.h"
#include "Frm_Wk.h"
#include "KeyNav.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "YearFile.h"

namespace {

const QString Title = QStringLiteral("経費登録");

struct Item {
    QString column;
    QString caption;
    Binding::Kind kind;
};

using Binding::Kind;
// Table order. A free item's name stands where its caption would; its caption only
// names the amount in messages until the user gives it a name.
const Item items[] = {
    {QStringLiteral("Sozei"), QStringLiteral("租税公課"), Kind::Amount},
    {QStringLiteral("Mototiku"), QStringLiteral("素畜費"), Kind::Amount},
    {QStringLiteral("Siryou"), QStringLiteral("飼料費"), Kind::Amount},
    {QStringLiteral("Eisei"), QStringLiteral("衛生費"), Kind::Amount},
    {QStringLiteral("Syozairyou"), QStringLiteral("諸材料費"), Kind::Amount},
    {QStringLiteral("Syuuzen"), QStringLiteral("修繕費"), Kind::Amount},
    {QStringLiteral("Douryoku"), QStringLiteral("動力光熱費"), Kind::Amount},
    {QStringLiteral("Katiku"), QStringLiteral("家畜共済掛金"), Kind::Amount},
    {QStringLiteral("Genka"), QStringLiteral("減価償却費"), Kind::Amount},
    {QStringLiteral("Nidukuri"), QStringLiteral("荷造運賃手数料"), Kind::Amount},
    {QStringLiteral("Risi"), QStringLiteral("利子割引料"), Kind::Amount},
    {QStringLiteral("Senjuusya"), QStringLiteral("専従者給与"), Kind::Amount},
    {QStringLiteral("Zatu"), QStringLiteral("雑費"), Kind::Amount},
    {QStringLiteral("Etc1_Name"), QStringLiteral("その他経費1の名称"), Kind::Text},
    {QStringLiteral("Etc1"), QStringLiteral("その他経費1"), Kind::Amount},
    {QStringLiteral("Etc2_Name"), QStringLiteral("その他経費2の名称"), Kind::Text},
    {QStringLiteral("Etc2"), QStringLiteral("その他経費2"), Kind::Amount},
    {QStringLiteral("Etc3_Name"), QStringLiteral("その他経費3の名称"), Kind::Text},
    {QStringLiteral("Etc3"), QStringLiteral("その他経費3"), Kind::Amount},
    {QStringLiteral("Etc4_Name"), QStringLiteral("その他経費4の名称"), Kind::Text},
    {QStringLiteral("Etc4"), QStringLiteral("その他経費4"), Kind::Amount},
    {QStringLiteral("Zensiryou"), QStringLiteral("前年飼料棚卸高"), Kind::Amount},
    {QStringLiteral("Konsiryou"), QStringLiteral("今年飼料棚卸高"), Kind::Amount},
    {QStringLiteral("Ikusei"), QStringLiteral("育成費用"), Kind::Amount},
};

constexpr int RowsPerColumn = 10;

}  // namespace

Frm_Cost::Frm_Cost(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Frm_Cost"));
    setWindowTitle(Title);

    auto *keys = new KeyNav(this);
    auto *grid = new QGridLayout;
    int row = 0, captionColumn = 0;
    for (const Item &item : items) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("t_") + item.column);
        if (item.kind == Kind::Amount) {
            edit->setAlignment(Qt::AlignRight);
            edit->setInputMethodHints(Qt::ImhPreferNumbers);
            edit->setFixedWidth(
                edit->fontMetrics().horizontalAdvance(QStringLiteral("-2,147,483,648")) + 16);
            if (fields_.isEmpty() || fields_.last().kind != Kind::Text) {
                auto *caption = new QLabel(item.caption, this);
                caption->setObjectName(QStringLiteral("lbl_") + item.column);
                grid->addWidget(caption, row, captionColumn);
            }
            grid->addWidget(edit, row, captionColumn + 1);
            if (++row == RowsPerColumn) {
                row = 0;
                captionColumn = 3;
            }
        } else {
            // Names are typed in Japanese, and the file keeps at most 255 characters.
            edit->setInputMethodHints(Qt::ImhNone);
            edit->setMaxLength(255);
            edit->setFixedWidth(
                edit->fontMetrics().horizontalAdvance(QStringLiteral("荷造運賃手数料")) + 16);
            grid->addWidget(edit, row, captionColumn);
        }
        if (item.column == QLatin1String("Nidukuri")) t_Nidukuri = edit;
        fields_ << Binding::Field{item.column, edit, item.kind, item.caption};
        keys->field(edit);
    }
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 0, 2, RowsPerColumn, 1);

    cmd_Set = new QPushButton(QStringLiteral("設定"), this);
    cmd_Set->setObjectName(QStringLiteral("cmd_Set"));
    cmd_Set->setAutoDefault(false);
    connect(cmd_Set, &QPushButton::clicked, this, &Frm_Cost::cmd_Set_Click);
    keys->button(cmd_Set);

    auto *top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(cmd_Set);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(grid);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    fields_.first().edit->setFocus();

    // The window stays on the year it was opened on, even if the year changes meanwhile.
    QString error;
    if (auto file = YearFile::open(M_Cow::DbFileName, &error)) {
        Data_Cost = std::make_unique<DataSource>(std::move(file), QStringLiteral("T_Cost"));
        if (!Data_Cost->refresh(&error)) Data_Cost.reset();
    }
    if (!Data_Cost) {
        MsgBox::show(this, error, Title);
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

Frm_Cost::~Frm_Cost() = default;

bool Frm_Cost::event(QEvent *e) {
    const bool handled = QWidget::event(e);
    // Qt also activates the window when one of our message boxes closes over it;
    // refilling then would wipe what a refused save kept for correction.
    if (e->type() == QEvent::WindowActivate && !MsgBox::returningFromBox()) Form_Activate();
    return handled;
}

void Frm_Cost::chooseRecord() {
    // The year has at most one expense record: edit it, or add it when there is none.
    if (Data_Cost->recordCount() > 0)
        Data_Cost->editCurrent();
    else
        Data_Cost->addNew();
}

void Frm_Cost::Form_Activate() {
    if (!Data_Cost) return;
    chooseRecord();
    Binding::fill(fields_, *Data_Cost);
    // The fee is the one the work totals subtract from the year's expenses, so the
    // record is saved with that figure rather than with whatever it held before.
    if (const Frm_Wk *wk = Frm_Wk::instance())
        t_Nidukuri->setText(Binding::display(wk->t_Tesuu, Kind::Amount));
}

QList<Binding::Field> Frm_Cost::namedFields() const {
    QList<Binding::Field> named = fields_;
    for (qsizetype i = 0; i + 1 < named.size(); ++i) {
        if (named[i].kind != Kind::Text) continue;
        const QString name = named[i].edit->text().trimmed();
        if (!name.isEmpty()) named[i + 1].caption = name;
    }
    return named;
}

void Frm_Cost::cmd_Set_Click() {
    if (!Data_Cost) return;
    const Binding::Collected in = Binding::collect(namedFields());
    if (in.bad) {
        MsgBox::show(this, in.error, Title);
        in.bad->setFocus();
        return;
    }
    QString error;
    if (!Data_Cost->update(in.values, &error)) {
        MsgBox::show(this, error, Title);
        // A new record may be committed even when reading it back failed, and the
        // record may have been deleted elsewhere: read again so that the next attempt
        // edits what is really there and never adds a second record. The typing stays.
        QString ignored;
        if (Data_Cost->refresh(&ignored)) chooseRecord();
        return;
    }
    if (!Data_Cost->refresh(&error)) MsgBox::show(this, error, Title);
    if (Frm_Wk *wk = Frm_Wk::instance())
        wk->refresh({Frm_Wk::Data_Cost_Ikusei, Frm_Wk::Data_Cost_Konsiryou,
                     Frm_Wk::Data_Cost_Zensiryou, Frm_Wk::Data_Cost2, Frm_Wk::Data_CostCal,
                     Frm_Wk::Data_CowCal1});
    close();
}

void Frm_Cost::closeEvent(QCloseEvent *event) {
    if (Frm_Wk *wk = Frm_Wk::instance()) wk->refresh({Frm_Wk::Data_CostCal, Frm_Wk::Data_Cost2});
    QWidget::closeEvent(event);
}
