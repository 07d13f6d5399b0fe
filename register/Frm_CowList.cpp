#include "Frm_CowList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "CowListModel.h"
#include "CurrentYear.h"
#include "DataSource.h"
#include "Frm_Cow.h"
#include "KeyNav.h"
#include "MsgBox.h"
#include "YearFile.h"

namespace {
const QString Title = QStringLiteral("子牛一覧");
}

Frm_CowList::Frm_CowList(CurrentYear &year, QWidget *parent)
    : QWidget(parent), year_(year), DBGrid_Cow(new QTableView(this)) {
    setObjectName(QStringLiteral("Frm_CowList"));
    setWindowTitle(Title);

    auto *cmd_New = new QPushButton(QStringLiteral("新規追加"), this);
    cmd_Edit = new QPushButton(QStringLiteral("編集"), this);
    auto *cmd_Del = new QPushButton(QStringLiteral("削除"), this);
    auto *cmd_Close = new QPushButton(QStringLiteral("閉じる"), this);
    auto *buttons = new QHBoxLayout;
    auto *keys = new KeyNav(this);
    for (auto [b, name] : {std::pair{cmd_New, "cmd_New"},
                           {cmd_Edit, "cmd_Edit"},
                           {cmd_Del, "cmd_Del"},
                           {cmd_Close, "cmd_Close"}}) {
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        // In the list, Down performs the button and Enter is left alone.
        keys->button(b)
            .on(b, {Qt::Key_Down}, KeyNav::Action::Click)
            .on(b, {Qt::Key_Return}, KeyNav::Action::Pass);
    }
    buttons->addStretch();
    connect(cmd_New, &QPushButton::clicked, this, &Frm_CowList::cmd_New_Click);
    connect(cmd_Edit, &QPushButton::clicked, this, &Frm_CowList::cmd_Edit_Click);
    connect(cmd_Del, &QPushButton::clicked, this, &Frm_CowList::cmd_Del_Click);
    connect(cmd_Close, &QPushButton::clicked, this, &QWidget::close);

    DBGrid_Cow->setObjectName(QStringLiteral("DBGrid_Cow"));
    DBGrid_Cow->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_Cow->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid_Cow->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid_Cow->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    DBGrid_Cow->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid_Cow->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid_Cow);
    resize(960, 480);

    QString error = CurrentYear::notOpen();
    if (auto file = year_.file()) {
        source_ = std::make_unique<DataSource>(std::move(file), QStringLiteral("T_Cow"));
        source_->setChunks(64, 256);  // three screens first, the rest as the grid scrolls
        if (!source_->refresh(&error)) source_.reset();
    }
    if (!source_) {
        MsgBox::show(this, error, Title);
        QTimer::singleShot(0, this, &QWidget::close);
        cmd_New->setEnabled(false);
        cmd_Edit->setEnabled(false);
        cmd_Del->setEnabled(false);
        return;
    }
    model_ = new CowListModel(*source_, this);
    // Queued: the grid fetches while it scrolls or lays out, no place for a message box.
    connect(
        model_, &CowListModel::readFailed, this,
        [this](const QString &message) { MsgBox::show(this, message, Title); },
        Qt::QueuedConnection);
    DBGrid_Cow->setModel(model_);
    const int widths[] = {60, 140, 140, 130, 120, 120, 130, 80};
    for (int c = 0; c < model_->columnCount(); ++c) DBGrid_Cow->setColumnWidth(c, widths[c]);
    connect(DBGrid_Cow->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &Frm_CowList::currentChanged);
    connect(DBGrid_Cow, &QTableView::doubleClicked, this, &Frm_CowList::cmd_Edit_Click);
    selectRow(0);
    currentChanged();
    cmd_New->setFocus();
}

Frm_CowList::~Frm_CowList() {
    // A list deleted while shown is hidden by ~QWidget, after source_ is gone, and the
    // grid asks its model for rows as it hides: the grid lets go of the model first.
    DBGrid_Cow->setModel(nullptr);
}

int Frm_CowList::currentRow() const {
    if (!source_) return -1;
    const int row = DBGrid_Cow->currentIndex().row();
    return row >= 0 && row < source_->recordCount() ? row : -1;
}

void Frm_CowList::selectRow(int row) {
    if (!model_ || source_->recordCount() == 0) return;
    row = std::clamp(row, 0, source_->recordCount() - 1);
    DBGrid_Cow->setCurrentIndex(model_->index(row, 0));
    DBGrid_Cow->selectRow(row);
}

void Frm_CowList::currentChanged() {
    if (source_) source_->setPosition(currentRow());
    cmd_Edit->setEnabled(source_ && source_->recordCount() > 0);
}

void Frm_CowList::Data_CowList_Refresh() {
    if (!source_) return;
    const int row = currentRow();
    QString error;
    if (!source_->refresh(&error)) MsgBox::show(this, error, Title);
    model_->sourceRefreshed();
    selectRow(row);
    currentChanged();
}

void Frm_CowList::cmd_New_Click() {
    if (!source_) return;
    Frm_Cow editor(year_, std::nullopt, this);
    connect(&editor, &Frm_Cow::stored, this, &Frm_CowList::Data_CowList_Refresh);
    editor.exec();
}

void Frm_CowList::cmd_Edit_Click() {
    const int row = currentRow();
    if (row < 0) return;
    // The editor stores no calf without a number, so one is not opened in it.
    if (source_->value(row, QStringLiteral("No")).isNull()) return;
    Frm_Cow editor(year_, source_->rowid(row), this);
    connect(&editor, &Frm_Cow::stored, this, &Frm_CowList::Data_CowList_Refresh);
    editor.exec();
}

void Frm_CowList::cmd_Del_Click() {
    const int row = currentRow();
    if (row < 0) return;
    if (MsgBox::show(this, QStringLiteral("選択したデータを削除します。"), QStringLiteral("削除"),
                     MsgBox::Buttons::OkCancel) != MsgBox::Answer::Ok)
        return;
    source_->setPosition(row);
    QString error;
    if (!source_->deleteCurrent(&error)) MsgBox::show(this, error, QStringLiteral("削除"));
    model_->sourceRefreshed();
    selectRow(row);
    currentChanged();
}

bool Frm_CowList::eventFilter(QObject *watched, QEvent *event) {
    // The grid's own delete asks the same question and updates the totals the same way;
    // Enter on a row opens it, as a double click does.
    if (watched == DBGrid_Cow && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
            case Qt::Key_Delete:
                cmd_Del_Click();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                cmd_Edit_Click();
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
