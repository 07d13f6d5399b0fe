#include "Frm_Sale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
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

#include "Binding.h"
#include "CurrentYear.h"
#include "EraDate.h"
#include "Fields.h"
#include "Judgement.h"
#include "KeyNav.h"
#include "MsgBox.h"
#include "ReportPreview.h"
#include "SaleDelegate.h"
#include "SaleModel.h"
#include "SaleReport.h"
#include "SaleTerms.h"
#include "YearFile.h"

const QString Frm_Sale::Title = QStringLiteral("売却牛の明細");

namespace {

// No, 子牛名前, 売却日, then the sale fields as typed, each with the room between two fields.
const int Widths[] = {40, 110, 80, 90, 80, 80, 90, 70, 250, 60, 85, 95, 130};
constexpr int Columns = std::size(Widths);
constexpr int Spacing = 6;

int lastPlace() {
    return SaleModel::placeCount() - 1;
}

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
    Q_ASSERT(Columns == model_->columnCount());
    for (int c = 0; c < Columns; ++c) grid_Sale->setColumnWidth(c, Widths[c] + Spacing);
    // Wide enough for the register's columns and the prices; the rest scrolls into view
    // with the field being typed.
    grid_Sale->setMinimumSize(std::accumulate(Widths, Widths + 8, 0) + 8 * Spacing + 40,
                              360 + headings->sizeHint().height());
    grid_Sale->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
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
              [this] { return moveTo(currentRow(), rowCount() - 1, lastPlace()); });
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmd_Hantei);

    // The year's settings, reached by Alt and their letters or by Tab from 判定表, so that
    // Enter and the arrows in the rows never land on them.
    const Fields::Field &keiri = Fields::field(Fields::Tokurei::Keiri);
    cmb_Keiri = new QComboBox(this);
    cmb_Keiri->setObjectName(QStringLiteral("cmb_Keiri"));
    for (const Fields::Code &c : keiri.codes) cmb_Keiri->addItem(c.word, c.code);
    connect(cmb_Keiri, &QComboBox::currentIndexChanged, this, &Frm_Sale::keiriChosen);
    t_Kigen = new QLineEdit(this);
    t_Kigen->setObjectName(QStringLiteral("t_Kigen"));
    t_Kigen->setFixedWidth(100);
    lbl_Kigen = new QLabel(this);
    auto *keiriLabel = new QLabel(QStringLiteral("経理方式(&K)"), this);
    keiriLabel->setBuddy(cmb_Keiri);
    auto *kigenLabel = new QLabel(QStringLiteral("特例の適用期限(&G)"), this);
    kigenLabel->setBuddy(t_Kigen);
    auto *top = new QHBoxLayout;
    top->addWidget(keiriLabel);
    top->addWidget(cmb_Keiri);
    top->addSpacing(24);
    top->addWidget(kigenLabel);
    top->addWidget(t_Kigen);
    top->addWidget(lbl_Kigen);
    top->addStretch();
    // Left by the mouse, the date typed counts as by Enter.
    connect(t_Kigen, &QLineEdit::editingFinished, this, [this] {
        if (t_Kigen->isModified() && !t_Kigen->hasFocus()) kigenTyped();
    });
    keys_->on(cmd_Hantei, {Qt::Key_Tab}, [this] { return cmb_Keiri; });
    keys_->on(cmb_Keiri, {Qt::Key_Tab, Qt::Key_Return}, [this] { return t_Kigen; });
    keys_->on(cmb_Keiri, {Qt::Key_Backtab}, [this] { return cmd_Hantei; });
    keys_->on(t_Kigen, {Qt::Key_Tab, Qt::Key_Return}, [this]() -> QWidget * {
        return kigenTyped() ? moveTo(currentRow(), 0, 0) : nullptr;
    });
    keys_->on(t_Kigen, {Qt::Key_Backtab},
              [this]() -> QWidget * { return kigenTyped() ? cmb_Keiri : nullptr; });

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
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

void Frm_Sale::showTerms() {
    SaleTerms::Terms terms;
    QString error;
    if (!SaleTerms::load(*file_, &terms, &error)) MsgBox::show(this, error, Title);
    const QSignalBlocker quiet(cmb_Keiri);
    cmb_Keiri->setCurrentIndex(cmb_Keiri->findData(int(terms.keiri)));
    const QDate own = Judgement::ownLastDate();
    const QDate used = terms.kigen.isValid() ? terms.kigen : own;
    if (!t_Kigen->isModified()) t_Kigen->setText(EraDate::format(used));  // typing stays
    lbl_Kigen->setText(used == own ? EraDate::written(used)
                                   : QStringLiteral("%1（手入力。プログラムの期限は%2）")
                                         .arg(EraDate::written(used), EraDate::written(own)));
}

void Frm_Sale::keiriChosen(int index) {
    SaleTerms::Terms terms;
    QString error;
    if (SaleTerms::load(*file_, &terms, &error)) {
        terms.keiri = Fields::Keiri(cmb_Keiri->itemData(index).toInt());
        if (SaleTerms::save(*file_, terms, &error)) return;
    }
    MsgBox::show(this, error, Title);
    showTerms();  // back to what the file holds
}

bool Frm_Sale::kigenTyped() {
    SaleTerms::Terms terms;
    QString error;
    if (!SaleTerms::load(*file_, &terms, &error)) {
        MsgBox::show(this, error, Title);
        return false;
    }
    const QString caption = Fields::field(Fields::Tokurei::Kigen).caption;
    const QDate own = Judgement::ownLastDate();
    const auto typed = Binding::toStored(t_Kigen->text(), Binding::Kind::Date, caption, &error);
    QDate date = own;  // emptied: the program's again
    if (typed && !typed->isNull()) date = QDate::fromString(typed->toString(), Qt::ISODate);
    if (typed && date < own)
        error = QStringLiteral(
                    "「%1」はプログラムの期限（%2）より前にはできません。"
                    "法律で延長されたときに、その日付を入れてください。")
                    .arg(caption, EraDate::written(own));
    if (!typed || date < own) {
        MsgBox::show(this, error, Title);
        t_Kigen->setFocus();
        return false;
    }
    t_Kigen->setModified(false);
    const QDate stored = date == own ? QDate() : date;
    if (stored != terms.kigen) {
        terms.kigen = stored;
        if (!SaleTerms::save(*file_, terms, &error)) {
            MsgBox::show(this, error, Title);
            return false;
        }
    }
    showTerms();
    return true;
}

int Frm_Sale::rowCount() const {
    return model_->rowCount();
}

int Frm_Sale::currentRow() const {
    return grid_Sale->currentIndex().row();
}

QLineEdit *Frm_Sale::field(int row, Fields::Sale field) const {
    return fieldAt(row, SaleModel::placeOf(field));
}

QLineEdit *Frm_Sale::fieldAt(int row, int place) const {
    if (place < 0 || place > lastPlace()) return nullptr;
    return qobject_cast<QLineEdit *>(
        grid_Sale->indexWidget(model_->index(row, SaleModel::columnOf(place))));
}

void Frm_Sale::fill() {
    showTerms();
    // Back to the same calf and field after a re-read, and the focus with it unless it is
    // on the button.
    const QModelIndex was = grid_Sale->currentIndex();
    const qint64 rowid = model_->rowid(was.row());
    const int column = was.isValid() ? SaleModel::placeOf(was.column()) : 0;
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
    QLineEdit *edit = fieldAt(row, column);
    if (edit) {
        if (focus) edit->setFocus();
        return edit;  // where the farmer may have scrolled away from it: the list stays
    }
    grid_Sale->setCurrentIndex(at);
    grid_Sale->openPersistentEditor(at);
    edit = fieldAt(row, column);
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
        return c < lastPlace() ? moveTo(r, r, c + 1) : moveTo(r, r + 1, 0);
    };
    const auto previous = [this, r, c] {
        return c > 0 ? moveTo(r, r, c - 1) : moveTo(r, r - 1, lastPlace());
    };
    const bool first = r == 0 && c == 0, last = r + 1 == rowCount() && c == lastPlace();
    keys->on(edit, {Qt::Key_Right}, next);
    keys->on(edit, {Qt::Key_Left}, previous);
    keys->on(edit, {Qt::Key_Tab}, [this, next, last] { return last ? cmd_Hantei : next(); });
    keys->on(edit, {Qt::Key_Backtab},
             [this, previous, first]() -> QWidget * { return first ? t_Kigen : previous(); });
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
    refusedInput_ = no.place >= 0;
    if (!no.warning.isEmpty()) MsgBox::show(this, no.warning, Title);
    if (no.error.isEmpty()) return true;
    MsgBox::show(this, no.error, Title);
    if (!refusedInput_) {
        // A calf deleted in the register meanwhile leaves the list; after any other
        // failure the row keeps its typing for another try.
        const qint64 rowid = model_->rowid(r);
        fill();
        if (model_->rowid(r) != rowid) return false;
    }
    const int column = refusedInput_ ? no.place : 0;
    const bool opened = fieldAt(r, column);
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
    const int column = SaleModel::placeOf(index.column());
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
    if (file_ &&
        ((!saveRow(currentRow()) && refusedInput_) || (t_Kigen->isModified() && !kigenTyped()))) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}
