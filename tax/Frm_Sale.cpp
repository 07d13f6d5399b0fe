#include "Frm_Sale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <iterator>
#include <numeric>

#include "BoundFields.h"
#include "CurrentYear.h"
#include "EraDate.h"
#include "KeyNav.h"
#include "MsgBox.h"
#include "ReportPreview.h"
#include "SaleReport.h"
#include "YearFile.h"

using Binding::Kind;

const QString Frm_Sale::Title = QStringLiteral("売却牛の明細");

namespace {

const Fields::Field &fieldOf(int column) {
    return Fields::field(Fields::Sale(column));
}

// Chosen from a list by its number, not typed.
bool chosen(int column) {
    return !fieldOf(column).codes.isEmpty();
}

// The choices under a heading, one a line.
QString heading(int column) {
    const Fields::Field &f = fieldOf(column);
    QStringList parts{f.caption};
    for (const Fields::Code &c : f.codes) parts << QStringLiteral("%1 %2").arg(c.code).arg(c.word);
    return parts.join(QLatin1Char('\n'));
}

// No, 子牛名前, 売却日, then the sale fields: headings and cells share them, so that the
// columns line up while the rows scroll under the headings.
const int Widths[] = {40, 120, 80, 100, 100, 70, 150, 70, 90};
constexpr int Columns = std::size(Widths);
constexpr int Spacing = 6;
constexpr int ReadOnlyColumns = 3;
static_assert(Columns == ReadOnlyColumns + Fields::SaleCount, "a width for every sale field");

QLabel *cell(const QString &text, int column, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setFixedWidth(Widths[column]);
    return label;
}

}  // namespace

Frm_Sale::Frm_Sale(CurrentYear &year, QWidget *parent) : QWidget(parent), year_(year) {
    setObjectName(QStringLiteral("Frm_Sale"));
    setWindowTitle(Title);
    keys_ = new KeyNav(this);

    auto *headings = new QGridLayout;
    const QString fixed[] = {QStringLiteral("No"), QStringLiteral("子牛名前"),
                             QStringLiteral("売却日")};
    for (int c = 0; c < Columns; ++c) {
        QLabel *label =
            cell(c < ReadOnlyColumns ? fixed[c] : heading(c - ReadOnlyColumns), c, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        headings->addWidget(label, 0, c);
    }
    headings->setColumnStretch(Columns, 1);
    headings->setHorizontalSpacing(Spacing);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("grid_Sale"));
    scroll_->setWidgetResizable(true);
    // Every column, with room for the frame and the scroll bar.
    scroll_->setMinimumSize(std::accumulate(Widths, Widths + Columns, 0) + Columns * Spacing + 40,
                            360);
    headings->setContentsMargins(scroll_->frameWidth(), 0, 0, 0);

    cmd_Hantei = new QPushButton(QStringLiteral("判定表"), this);
    cmd_Hantei->setObjectName(QStringLiteral("cmd_Hantei"));
    cmd_Hantei->setAutoDefault(false);
    // Clicked, it takes no focus: the click itself saves the row, and says so only once
    // when the row is refused.
    cmd_Hantei->setFocusPolicy(Qt::TabFocus);
    connect(cmd_Hantei, &QPushButton::clicked, this, &Frm_Sale::cmd_Hantei_Click);
    keys_->button(cmd_Hantei);
    // Back to where Enter left the list.
    keys_->on(cmd_Hantei, {Qt::Key_Up, Qt::Key_Left},
              [this]() -> QWidget * { return field(rowCount() - 1, Fields::SaleCount - 1); });
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmd_Hantei);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(headings);
    outer->addWidget(scroll_, 1);
    outer->addLayout(bottom);

    following_ = connect(qApp, &QApplication::focusChanged, this,
                         [this](QWidget *, QWidget *now) { focusChanged(now); });

    file_ = year_.file();
    if (!file_) {
        MsgBox::show(this, CurrentYear::notOpen(), Title);
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    fill();
}

Frm_Sale::~Frm_Sale() {
    // The fields go after this part of the window, and their focus with them.
    disconnect(following_);
}

QLineEdit *Frm_Sale::field(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= Fields::SaleCount) return nullptr;
    return rows_[row].edits[column];
}

void Frm_Sale::fill() {
    // Back to the same calf and field after a re-read.
    qint64 rowid = -1;
    int column = Fields::S_Kingaku;
    if (const QWidget *f = QApplication::focusWidget(); f && f->window() == this) {
        const int row = f->property("saleRow").toInt();
        if (f->property("saleRow").isValid() && row < rowCount()) {
            rowid = rows_[row].rowid;
            column = f->property("saleColumn").toInt();
        }
    }
    std::vector<SaleData::Row> data;
    QString error;
    if (!SaleData::load(*file_, &data, &error)) {
        MsgBox::show(this, error, Title);
        return;  // what is shown stays
    }
    // Building a long list anew takes seconds: only when something shown has changed.
    QList<QVariantList> shown;
    for (const SaleData::Row &r : data)
        shown << (QVariantList{r.rowid, r.head.No, r.head.Name, r.head.O_Date} + r.stored);
    if (shown == shown_ && scroll_->widget()) {
        // The register's 導入日 may have changed, and a birth date is checked against it.
        for (size_t r = 0; r < data.size(); ++r) rows_[r].head = data[r].head;
        return;
    }
    shown_ = shown;
    busy_ = true;
    rows_.clear();
    current_ = -1;
    auto *table = new QWidget;
    auto *grid = new QGridLayout(table);
    // The rows' keys go with the rows: a navigator that outlived them would take a new
    // field at a freed one's address for one it already watches.
    rowKeys_ = new KeyNav(table);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(Spacing);
    // The room left over goes to the right and below, not between the columns.
    grid->setColumnStretch(Columns, 1);
    grid->setRowStretch(int(data.size()) + 1, 1);
    for (int r = 0; r < int(data.size()); ++r) addRow(r, data[r], grid);
    if (data.empty())
        grid->addWidget(new QLabel(QStringLiteral("この年度に売却した子牛はありません。"), table),
                        0, 0);
    scroll_->setWidget(table);  // the earlier rows go with their widget
    busy_ = false;
    int row = 0;
    for (int r = 0; r < rowCount(); ++r)
        if (rows_[r].rowid == rowid) row = r;
    if (QLineEdit *edit = field(row, column)) {
        edit->setFocus();
        edit->selectAll();
        current_ = row;
    }
}

void Frm_Sale::addRow(int r, const SaleData::Row &data, QGridLayout *grid) {
    QWidget *table = grid->parentWidget();
    Row row;
    row.rowid = data.rowid;
    row.head = data.head;
    row.stored = data.stored;
    const SoldHead &h = data.head;
    grid->addWidget(cell(QString::number(h.No), 0, table), r, 0);
    grid->addWidget(cell(Binding::plainText(h.Name), 1, table), r, 1);
    grid->addWidget(cell(EraDate::format(h.O_Date), 2, table), r, 2);
    for (int c = 0; c < Fields::SaleCount; ++c) {
        const Fields::Field &f = fieldOf(c);
        auto *edit = new QLineEdit(table);
        edit->setObjectName(QStringLiteral("t_") + f.name);
        edit->setFixedWidth(Widths[ReadOnlyColumns + c]);
        edit->setProperty("saleRow", r);
        edit->setProperty("saleColumn", c);
        if (chosen(c)) {
            // Chosen by its number, never typed as words; read-only also keeps the input
            // method out, so that a digit arrives as a key however it is set.
            edit->setReadOnly(true);
            edit->setText(f.word(data.stored[c]));
            edit->installEventFilter(this);
        } else {
            if (f.kind != Kind::Text && f.kind != Kind::Date) edit->setAlignment(Qt::AlignRight);
            edit->setText(Binding::display(data.stored[c], f.kind));
            connect(edit, &QLineEdit::textEdited, this, [this, r] { rows_[r].dirty = true; });
        }
        rowKeys_->on(edit, {Qt::Key_Right}, [this, r, c] {
            return c + 1 < Fields::SaleCount ? moveTo(r, r, c + 1) : moveTo(r, r + 1, 0);
        });
        rowKeys_->on(edit, {Qt::Key_Return}, [this, r, c]() -> QWidget * {
            if (c + 1 < Fields::SaleCount) return moveTo(r, r, c + 1);
            // Enter at the end of the list leaves its last row too, so that the row is
            // stored now and not only when the window closes.
            if (r + 1 == rowCount()) return saveRow(r) ? cmd_Hantei : nullptr;
            return moveTo(r, r + 1, 0);
        });
        rowKeys_->on(edit, {Qt::Key_Left}, [this, r, c] {
            return c > 0 ? moveTo(r, r, c - 1) : moveTo(r, r - 1, Fields::SaleCount - 1);
        });
        rowKeys_->on(edit, {Qt::Key_Up}, [this, r, c] { return moveTo(r, r - 1, c); });
        rowKeys_->on(edit, {Qt::Key_Down}, [this, r, c] { return moveTo(r, r + 1, c); });
        grid->addWidget(edit, r, ReadOnlyColumns + c);
        row.edits << edit;
    }
    rows_.push_back(std::move(row));
}

QWidget *Frm_Sale::moveTo(int fromRow, int row, int column) {
    QLineEdit *target = field(row, column);
    if (!target) return nullptr;  // past the first or last row: the focus stays
    if (row != fromRow && !saveRow(fromRow)) return nullptr;  // the refused field has it
    scroll_->ensureWidgetVisible(target);
    return target;
}

bool Frm_Sale::saveRow(int r) {
    if (r < 0 || r >= rowCount() || !rows_[r].dirty) return true;
    Row &row = rows_[r];
    busy_ = true;
    QList<Binding::Field> typed;  // the fields typed freely, not chosen
    for (int c = 0; c < Fields::SaleCount; ++c)
        if (const Fields::Field &f = fieldOf(c); !chosen(c))
            typed.append({f.name, row.edits[c], f.kind, f.caption});
    Binding::Collected in = Binding::collect(typed);
    QVariantList stored = row.stored;
    QString error = in.error;
    if (!in.bad) {
        for (int c = 0; c < Fields::SaleCount; ++c)
            if (!chosen(c)) stored[c] = in.values.value(fieldOf(c).name);
        error = SaleData::refusal(row.head, stored);
        if (!error.isEmpty())
            in = {{}, row.edits[Fields::S_Birth], error};
        else
            SaleData::save(*file_, row.rowid, stored, &error);
    }
    refusedInput_ = in.bad;
    if (!error.isEmpty()) {
        MsgBox::show(this, error, Title);
        busy_ = false;
        const qint64 rowid = row.rowid;
        if (!in.bad) {
            // A calf deleted in the register meanwhile leaves the list; after any other
            // failure the row keeps its typing for another try.
            fill();
            if (r >= rowCount() || rows_[r].rowid != rowid) return false;
        }
        busy_ = true;
        if (in.bad)
            Binding::markBad(in);
        else
            rows_[r].edits[Fields::S_Kingaku]->setFocus();
        current_ = r;
        busy_ = false;
        return false;
    }
    row.stored = stored;
    shown_[r] = shown_[r].mid(0, 4) + stored;
    row.dirty = false;
    // As stored: "1000" comes back "1,000", "R1.5.1" as the era form.
    for (int c = 0; c < Fields::SaleCount; ++c)
        if (!chosen(c)) row.edits[c]->setText(Binding::display(stored[c], fieldOf(c).kind));
    busy_ = false;
    return true;
}

void Frm_Sale::focusChanged(QWidget *now) {
    if (busy_ || !now || now->window() != this) return;
    const QVariant at = now->property("saleRow");
    const int row = at.isValid() ? at.toInt() : -1;
    if (row == current_ || row < 0) return;
    // A click into another row leaves this one, as a key does.
    if (saveRow(current_)) current_ = row;
}

bool Frm_Sale::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto *edit = static_cast<QLineEdit *>(watched);
    const int r = edit->property("saleRow").toInt();
    const int c = edit->property("saleColumn").toInt();
    const auto *key = static_cast<QKeyEvent *>(event);
    QVariant code;
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) {
        code = QVariant();
    } else {
        // Full-width digits count as their ASCII twins.
        const QString typed = key->text().normalized(QString::NormalizationForm_KC);
        bool number = false;
        const int n = typed.toInt(&number);
        if (!number || typed.size() != 1 || !fieldOf(c).code(n))
            return false;  // the key does whatever it does in a read-only field
        code = n;
    }
    rows_[r].stored[c] = code;
    rows_[r].dirty = true;
    edit->setText(fieldOf(c).word(code));
    edit->selectAll();
    return true;
}

void Frm_Sale::cmd_Hantei_Click() {
    if (!file_ || !saveRow(current_)) return;
    QString error;
    Report::Document doc;
    if (!SaleReport::buildYear(year_, &doc, nullptr, &error))
        MsgBox::show(this, error, Title);
    else
        ReportPreview::exec(this, doc);
}

bool Frm_Sale::event(QEvent *e) {
    const bool handled = QWidget::event(e);
    // Not on the return from one of our message boxes: that would re-read over the
    // typing a refused save kept.
    if (e->type() == QEvent::WindowActivate && !MsgBox::returningFromBox()) Form_Activate();
    return handled;
}

void Frm_Sale::Form_Activate() {
    if (!file_ || !saveRow(current_)) return;
    // After a year switch the rows typed here must go into the new year's file.
    if (file_ != year_.file()) {
        if (!year_.file()) {
            MsgBox::show(this, CurrentYear::notOpen(), Title);
            return;
        }
        file_ = year_.file();
    }
    fill();
}

void Frm_Sale::closeEvent(QCloseEvent *e) {
    // Typing that cannot be stored is kept for correction; a write that failed has said
    // that nothing was saved, and the window goes.
    if (file_ && !saveRow(current_) && refusedInput_) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}
