#include "LedgerWindow.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "CurrentYear.h"
#include "DataSource.h"
#include "KeyNav.h"
#include "MsgBox.h"
#include "YearFile.h"

using Binding::Kind;

LedgerWindow::LedgerWindow(CurrentYear &year, const QString &name, const QString &title,
                           const QString &table, const QList<Fields::Field> &items,
                           int rowsPerColumn, QWidget *parent)
    : QWidget(parent), year_(year), title_(title) {
    setObjectName(name);
    setWindowTitle(title);

    auto *keys = new KeyNav(this);
    auto *grid = new QGridLayout;
    int row = 0, captionColumn = 0;
    for (const Fields::Field &item : items) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("t_") + item.name);
        if (item.kind == Kind::Amount) {
            edit->setAlignment(Qt::AlignRight);
            edit->setInputMethodHints(Qt::ImhPreferNumbers);
            edit->setFixedWidth(
                edit->fontMetrics().horizontalAdvance(QStringLiteral("-2,147,483,648")) + 16);
            if (fields_.isEmpty() || fields_.last().kind != Kind::Text) {
                auto *caption = new QLabel(item.caption, this);
                caption->setObjectName(QStringLiteral("lbl_") + item.name);
                grid->addWidget(caption, row, captionColumn);
            }
            grid->addWidget(edit, row, captionColumn + 1);
            if (++row == rowsPerColumn) {
                row = 0;
                captionColumn += 3;
            }
        } else {
            // Names are typed in Japanese.
            edit->setInputMethodHints(Qt::ImhNone);
            edit->setPlaceholderText(QStringLiteral("（項目名）"));
            edit->setFixedWidth(
                edit->fontMetrics().horizontalAdvance(QStringLiteral("荷造運賃手数料")) + 16);
            grid->addWidget(edit, row, captionColumn);
        }
        fields_ << Binding::Field{item.name, edit, item.kind, item.caption};
        keys->field(edit);
    }
    Binding::prepare(fields_);
    const int columnsUsed = captionColumn / 3 + (row > 0 ? 1 : 0);
    for (int gap = 1; gap < columnsUsed; ++gap) {
        const int column = 3 * gap - 1;
        auto *line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line%1").arg(gap));
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        grid->addWidget(line, 0, column, rowsPerColumn, 1);
    }

    cmd_Set = new QPushButton(QStringLiteral("設定"), this);
    cmd_Set->setObjectName(QStringLiteral("cmd_Set"));
    cmd_Set->setAutoDefault(false);
    connect(cmd_Set, &QPushButton::clicked, this, &LedgerWindow::cmd_Set_Click);
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
    QString error = CurrentYear::notOpen();
    if (auto file = year_.file()) {
        source_ = std::make_unique<DataSource>(std::move(file), table);
        if (!source_->refresh(&error)) source_.reset();
    }
    if (!source_) {
        MsgBox::show(this, error, title_);
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

LedgerWindow::~LedgerWindow() = default;

QLineEdit *LedgerWindow::field(const QString &column) const {
    for (const Binding::Field &f : fields_)
        if (f.column == column) return f.edit;
    return nullptr;
}

QString LedgerWindow::fileName() const {
    return source_ ? source_->file()->fileName() : QString();
}

bool LedgerWindow::event(QEvent *e) {
    const bool handled = QWidget::event(e);
    // Qt also activates the window when one of our message boxes closes over it;
    // refilling then would wipe what a refused save kept for correction.
    if (e->type() == QEvent::WindowActivate && !MsgBox::returningFromBox()) Form_Activate();
    return handled;
}

void LedgerWindow::chooseRecord() {
    // The year has at most one record: edit it, or add it when there is none.
    if (source_->recordCount() > 0)
        source_->editCurrent();
    else
        source_->addNew();
}

void LedgerWindow::Form_Activate() {
    if (!source_) return;
    // Read the record again: a data clear, or this year's window of another kind, may
    // have changed it since, and saving the old figures would silently undo that.
    QString error;
    if (!source_->refresh(&error)) MsgBox::show(this, error, title_);
    chooseRecord();
    Binding::fill(fields_, *source_);
    filled();
    shown_.clear();
    for (const Binding::Field &f : fields_) shown_ << f.edit->text();
}

bool LedgerWindow::mayDropTyping() {
    bool typed = false;
    for (qsizetype i = 0; i < fields_.size() && !typed; ++i)
        typed = fields_[i].edit->text() != shown_.value(i);
    if (!typed) return true;
    return MsgBox::show(this,
                        QStringLiteral("%1 に保存していない入力があります。\n"
                                       "閉じると、この入力は保存されません。閉じてよろしいですか？")
                            .arg(title_),
                        title_, MsgBox::Buttons::OkCancel) == MsgBox::Answer::Ok;
}

QList<Binding::Field> LedgerWindow::namedFields() const {
    QList<Binding::Field> named = fields_;
    for (qsizetype i = 0; i + 1 < named.size(); ++i) {
        if (named[i].kind != Kind::Text) continue;
        // Quoted in messages: plain and short, whatever was pasted.
        const QString name = Binding::excerpt(named[i].edit->text());
        if (!name.isEmpty()) named[i + 1].caption = name;
    }
    return named;
}

void LedgerWindow::cmd_Set_Click() {
    if (!source_) return;
    const Binding::Collected in = Binding::collect(namedFields());
    if (in.bad) {
        MsgBox::show(this, in.error, title_);
        Binding::markBad(in);
        return;
    }
    QString error;
    if (!source_->update(in.values, &error)) {
        MsgBox::show(this, error, title_);
        // The record may have been deleted elsewhere: read again so that the next
        // attempt works on what is really there. The typing stays.
        QString ignored;
        if (source_->refresh(&ignored)) chooseRecord();
        return;
    }
    if (!source_->refresh(&error)) MsgBox::show(this, error, title_);
    close();
}

void LedgerWindow::closeEvent(QCloseEvent *event) {
    year_.reread(fed());
    QWidget::closeEvent(event);
}
