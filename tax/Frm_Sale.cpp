#include "Frm_Sale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <iterator>
#include <numeric>

#include "CurrentYear.h"
#include "EraDate.h"
#include "Fields.h"
#include "KeyNav.h"
#include "MsgBox.h"
#include "ReportPreview.h"
#include "SaleDelegate.h"
#include "SaleModel.h"
#include "SaleReport.h"
#include "YearFile.h"

const QString Frm_Sale::Title = QStringLiteral("売却牛の明細");

namespace {

// No, 子牛名前, 売却日, then the sale fields, each with the room between two fields.
const int Widths[] = {40, 120, 80, 100, 100, 70, 150, 70, 90};
constexpr int Columns = std::size(Widths);
constexpr int Spacing = 6;
static_assert(Columns == SaleModel::FixedColumns + Fields::SaleCount,
              "a width for every sale field");

constexpr int LastField = Fields::SaleCount - 1;

}  // namespace

Frm_Sale::Frm_Sale(CurrentYear &year, QWidget *parent) : QWidget(parent), year_(year) {
    setObjectName(QStringLiteral("Frm_Sale"));
    setWindowTitle(Title);
    keys_ = new KeyNav(this);

    model_ = new SaleModel(this);
    grid_Sale = new QTableView(this);
    grid_Sale->setObjectName(QStringLiteral("grid_Sale"));
    grid_Sale->setModel(model_);
    grid_Sale->setItemDelegate(new SaleDelegate(grid_Sale));
    // The window opens the one field being typed and moves it; the grid itself never has
    // the keys, so that no key moves it past a row that must be saved first.
    grid_Sale->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_Sale->setSelectionMode(QAbstractItemView::NoSelection);
    grid_Sale->setFocusPolicy(Qt::NoFocus);
    grid_Sale->setWordWrap(false);
    grid_Sale->verticalHeader()->hide();
    grid_Sale->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_Sale->verticalHeader()->setDefaultSectionSize(QLineEdit().sizeHint().height() + 5);
    QHeaderView *headings = grid_Sale->horizontalHeader();
    headings->setSectionResizeMode(QHeaderView::Fixed);
    headings->setHighlightSections(false);
    headings->setStretchLastSection(true);
    for (int c = 0; c < Columns; ++c) grid_Sale->setColumnWidth(c, Widths[c] + Spacing);
    // Every column, with room for the frame and the scroll bar: no sideways scrolling.
    grid_Sale->setMinimumSize(std::accumulate(Widths, Widths + Columns, 0) + Columns * Spacing + 40,
                              360 + headings->sizeHint().height());
    grid_Sale->installEventFilter(this);
    grid_Sale->viewport()->installEventFilter(this);
    empty_ =
        new QLabel(QStringLiteral("この年度に売却した子牛はありません。"), grid_Sale->viewport());
    empty_->move(Spacing, Spacing);
    empty_->adjustSize();
    empty_->hide();

    cmd_Hantei = new QPushButton(QStringLiteral("判定表"), this);
    cmd_Hantei->setObjectName(QStringLiteral("cmd_Hantei"));
    cmd_Hantei->setAutoDefault(false);
    // Clicked, it takes no focus: the click itself saves the row, and says so only once
    // when the row is refused.
    cmd_Hantei->setFocusPolicy(Qt::TabFocus);
    connect(cmd_Hantei, &QPushButton::clicked, this, &Frm_Sale::cmd_Hantei_Click);
    keys_->button(cmd_Hantei);
    // Back to where Enter left the list; Tab goes on to its first field.
    keys_->on(cmd_Hantei, {Qt::Key_Up, Qt::Key_Left, Qt::Key_Backtab},
              [this] { return moveTo(currentRow(), rowCount() - 1, LastField); });
    keys_->on(cmd_Hantei, {Qt::Key_Tab}, [this] { return moveTo(currentRow(), 0, 0); });
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmd_Hantei);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(grid_Sale, 1);
    outer->addLayout(bottom);

    file_ = year_.file();
    if (!file_) {
        MsgBox::show(this, CurrentYear::notOpen(), Title);
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    fill();
}

int Frm_Sale::rowCount() const {
    return model_->rowCount();
}

int Frm_Sale::currentRow() const {
    return grid_Sale->currentIndex().row();
}

QLineEdit *Frm_Sale::field(int row, int column) const {
    if (column < 0 || column >= Fields::SaleCount) return nullptr;
    return qobject_cast<QLineEdit *>(
        grid_Sale->indexWidget(model_->index(row, SaleModel::columnOf(column))));
}

void Frm_Sale::fill() {
    // Back to the same calf and field after a re-read, and the focus with it unless it is
    // on the button.
    const QModelIndex was = grid_Sale->currentIndex();
    const qint64 rowid = model_->rowid(was.row());
    const int column = was.isValid() ? SaleModel::fieldOf(was.column()) : Fields::S_Kingaku;
    const QWidget *focus = QApplication::focusWidget();
    const bool typing = !focus || focus->window() != this || grid_Sale->isAncestorOf(focus);
    QString error;
    if (!model_->load(*file_, &error)) {
        MsgBox::show(this, error, Title);
        return;  // what is shown stays
    }
    empty_->setVisible(rowCount() == 0);
    if (rowCount() == 0) return;
    const int row = std::max(model_->rowOf(rowid), 0);
    QLineEdit *edit = open(row, column, typing);
    // Changed elsewhere meanwhile (a CSV import): the open field shows the file's.
    grid_Sale->itemDelegate()->setEditorData(edit, grid_Sale->currentIndex());
}

QLineEdit *Frm_Sale::open(int row, int column, bool focus) {
    const QModelIndex at = model_->index(row, SaleModel::columnOf(column));
    const QModelIndex was = grid_Sale->currentIndex();
    QLineEdit *edit = field(row, column);
    if (edit) {
        if (focus) edit->setFocus();
        return edit;  // where the farmer may have scrolled away from it: the list stays
    }
    grid_Sale->setCurrentIndex(at);
    grid_Sale->openPersistentEditor(at);
    edit = field(row, column);
    addKeys(edit, row, column);
    // Before the field left goes: a focus field hidden hands the focus down the window.
    if (focus) edit->setFocus();
    if (was.isValid() && was != at) grid_Sale->closePersistentEditor(was);
    grid_Sale->scrollTo(at);
    return edit;
}

void Frm_Sale::addKeys(QLineEdit *edit, int r, int c) {
    // The rules go with their field: a navigator that outlived it would take a new field
    // at a freed one's address for one it already watches.
    auto *keys = new KeyNav(edit);
    const auto next = [this, r, c] {
        return c < LastField ? moveTo(r, r, c + 1) : moveTo(r, r + 1, 0);
    };
    const auto previous = [this, r, c] {
        return c > 0 ? moveTo(r, r, c - 1) : moveTo(r, r - 1, LastField);
    };
    const bool first = r == 0 && c == 0, last = r + 1 == rowCount() && c == LastField;
    keys->on(edit, {Qt::Key_Right}, next);
    keys->on(edit, {Qt::Key_Left}, previous);
    keys->on(edit, {Qt::Key_Tab}, [this, next, last] { return last ? cmd_Hantei : next(); });
    keys->on(edit, {Qt::Key_Backtab},
             [this, previous, first] { return first ? cmd_Hantei : previous(); });
    keys->on(edit, {Qt::Key_Return}, [this, next, r, last]() -> QWidget * {
        // Enter at the end of the list leaves its last row too, so that the row is
        // stored now and not only when the window closes.
        if (last) return saveRow(r) ? cmd_Hantei : nullptr;
        return next();
    });
    keys->on(edit, {Qt::Key_Up}, [this, r, c] { return moveTo(r, r - 1, c); });
    keys->on(edit, {Qt::Key_Down}, [this, r, c] { return moveTo(r, r + 1, c); });
}

QWidget *Frm_Sale::moveTo(int fromRow, int row, int column) {
    if (row < 0 || row >= rowCount()) return nullptr;  // past the first or last row: it stays
    if (row != fromRow && !saveRow(fromRow)) return nullptr;  // the refused field has it
    return open(row, column);
}

bool Frm_Sale::saveRow(int r) {
    const SaleModel::Refusal no = model_->save(*file_, r);
    refusedInput_ = no.field >= 0;
    if (no.error.isEmpty()) return true;
    MsgBox::show(this, no.error, Title);
    if (!refusedInput_) {
        // A calf deleted in the register meanwhile leaves the list; after any other
        // failure the row keeps its typing for another try.
        const qint64 rowid = model_->rowid(r);
        fill();
        if (model_->rowid(r) != rowid) return false;
    }
    const int column = refusedInput_ ? no.field : Fields::S_Kingaku;
    const bool opened = field(r, column);
    QLineEdit *edit = open(r, column);
    // The caret where the farmer left it, or at the end of a field opened for the message;
    // of a too long text, what does not fit selected, so that one key removes it.
    if (!opened) edit->deselect();
    if (no.fits >= 0) edit->setSelection(int(no.fits), int(edit->text().size() - no.fits));
    return false;
}

bool Frm_Sale::eventFilter(QObject *watched, QEvent *event) {
    if (watched == grid_Sale && event->type() == QEvent::KeyPress) {
        // A key the field did not take: Page Up and Down scroll, as they would scroll a
        // page of entry fields; the grid's own moves would skip the row's saving.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_PageDown || key == Qt::Key_PageUp)
            grid_Sale->verticalScrollBar()->triggerAction(key == Qt::Key_PageDown
                                                              ? QAbstractSlider::SliderPageStepAdd
                                                              : QAbstractSlider::SliderPageStepSub);
        return true;
    }
    if (watched != grid_Sale->viewport() ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick))
        return QWidget::eventFilter(watched, event);
    // A click into another field leaves the row as a key does; the register's columns
    // are only read.
    const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
    const QModelIndex index = grid_Sale->indexAt(at);
    const int column = SaleModel::fieldOf(index.column());
    if (index.isValid() && column >= 0)
        if (auto *edit = qobject_cast<QLineEdit *>(moveTo(currentRow(), index.row(), column))) {
            edit->deselect();
            edit->setCursorPosition(
                edit->cursorPositionAt(edit->mapFrom(grid_Sale->viewport(), at)));
        }
    return true;
}

void Frm_Sale::cmd_Hantei_Click() {
    if (!file_ || !saveRow(currentRow())) return;
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
    if (!file_ || !saveRow(currentRow())) return;
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
    if (file_ && !saveRow(currentRow()) && refusedInput_) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}
