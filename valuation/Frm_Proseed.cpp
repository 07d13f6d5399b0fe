#include "Frm_Proseed.h"

#include <QCloseEvent>
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

const QString Title = QStringLiteral("収入登録");

struct Item {
    QString column;
    QString caption;
    Binding::Kind kind;
};

using Binding::Kind;
// Table order. A free item's name stands where its caption would; its caption only
// names the amount in messages until the user gives it a name.
const Item items[] = {
    {QStringLiteral("Hanbai"), QStringLiteral("販売金額"), Kind::Amount},
    {QStringLiteral("Zatu"), QStringLiteral("雑収入"), Kind::Amount},
    {QStringLiteral("Etc1_Name"), QStringLiteral("その他収入1の名称"), Kind::Text},
    {QStringLiteral("Etc1"), QStringLiteral("その他収入1"), Kind::Amount},
    {QStringLiteral("Etc2_Name"), QStringLiteral("その他収入2の名称"), Kind::Text},
    {QStringLiteral("Etc2"), QStringLiteral("その他収入2"), Kind::Amount},
};

}  // namespace

Frm_Proseed::Frm_Proseed(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Frm_Proseed"));
    setWindowTitle(Title);

    auto *keys = new KeyNav(this);
    auto *grid = new QGridLayout;
    int row = 0;
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
                grid->addWidget(caption, row, 0);
            }
            grid->addWidget(edit, row++, 1);
        } else {
            // Names are typed in Japanese, and the file keeps at most 255 characters.
            edit->setInputMethodHints(Qt::ImhNone);
            edit->setMaxLength(255);
            edit->setFixedWidth(
                edit->fontMetrics().horizontalAdvance(QStringLiteral("その他の収入")) + 16);
            grid->addWidget(edit, row, 0);
        }
        fields_ << Binding::Field{item.column, edit, item.kind, item.caption};
        keys->field(edit);
    }

    cmd_Set = new QPushButton(QStringLiteral("設定"), this);
    cmd_Set->setObjectName(QStringLiteral("cmd_Set"));
    cmd_Set->setAutoDefault(false);
    connect(cmd_Set, &QPushButton::clicked, this, &Frm_Proseed::cmd_Set_Click);
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
        Data_Proseed = std::make_unique<DataSource>(std::move(file), QStringLiteral("T_Proseed"));
        if (!Data_Proseed->refresh(&error)) Data_Proseed.reset();
    }
    if (!Data_Proseed) {
        MsgBox::show(this, error, Title);
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

Frm_Proseed::~Frm_Proseed() = default;

bool Frm_Proseed::event(QEvent *e) {
    const bool handled = QWidget::event(e);
    // Qt also activates the window when one of our message boxes closes over it;
    // refilling then would wipe what a refused save kept for correction.
    if (e->type() == QEvent::WindowActivate && !MsgBox::returningFromBox()) Form_Activate();
    return handled;
}

void Frm_Proseed::chooseRecord() {
    // The year has at most one income record: edit it, or add it when there is none.
    if (Data_Proseed->recordCount() > 0)
        Data_Proseed->editCurrent();
    else
        Data_Proseed->addNew();
}

void Frm_Proseed::Form_Activate() {
    if (!Data_Proseed) return;
    chooseRecord();
    Binding::fill(fields_, *Data_Proseed);
}

QList<Binding::Field> Frm_Proseed::namedFields() const {
    QList<Binding::Field> named = fields_;
    for (qsizetype i = 0; i + 1 < named.size(); ++i) {
        if (named[i].kind != Kind::Text) continue;
        const QString name = named[i].edit->text().trimmed();
        if (!name.isEmpty()) named[i + 1].caption = name;
    }
    return named;
}

void Frm_Proseed::cmd_Set_Click() {
    if (!Data_Proseed) return;
    const Binding::Collected in = Binding::collect(namedFields());
    if (in.bad) {
        MsgBox::show(this, in.error, Title);
        in.bad->setFocus();
        return;
    }
    QString error;
    if (!Data_Proseed->update(in.values, &error)) {
        MsgBox::show(this, error, Title);
        // A new record may be committed even when reading it back failed, and the
        // record may have been deleted elsewhere: read again so that the next attempt
        // edits what is really there and never adds a second record. The typing stays.
        QString ignored;
        if (Data_Proseed->refresh(&ignored)) chooseRecord();
        return;
    }
    if (!Data_Proseed->refresh(&error)) MsgBox::show(this, error, Title);
    if (Frm_Wk *wk = Frm_Wk::instance()) wk->refresh({Frm_Wk::Data_ProseedCal1});
    close();
}

void Frm_Proseed::closeEvent(QCloseEvent *event) {
    if (Frm_Wk *wk = Frm_Wk::instance()) wk->refresh({Frm_Wk::Data_ProseedCal1});
    QWidget::closeEvent(event);
}
