#include "Frm_Main.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "CsvCommands.h"
#include "CurrentYear.h"
#include "Frm_Cost.h"
#include "Frm_CowList.h"
#include "Frm_Print.h"
#include "Frm_Proseed.h"
#include "Frm_Restore.h"
#include "Frm_Sale.h"
#include "Frm_Year.h"
#include "Frm_YearList.h"
#include "Help.h"
#include "KeyNav.h"
#include "LedgerWindow.h"
#include "MsgBox.h"
#include "SaleReport.h"
#include "SaveBackup.h"
#include "dlg_DataClr.h"
#include "frmAbout.h"

Frm_Main::Frm_Main(CurrentYear &year, QWidget *parent) : QMainWindow(parent), year_(year) {
    setObjectName(QStringLiteral("Frm_Main"));
    setWindowTitle(QStringLiteral("Moriva"));

    struct ButtonDef {
        const char *name;
        QString caption;
        QString tip;
        void (Frm_Main::*click)();
    };
    const ButtonDef defs[] = {
        {"cmd_Cow", QStringLiteral("子牛登録"), QStringLiteral("子牛情報の登録"),
         &Frm_Main::cmd_Cow_Click},
        {"cmd_Proseed", QStringLiteral("収入登録"), QStringLiteral("収入情報の登録"),
         &Frm_Main::cmd_Proseed_Click},
        {"cmd_Cost", QStringLiteral("経費登録"), QStringLiteral("経費情報の登録"),
         &Frm_Main::cmd_Cost_Click},
        {"cmd_Print", QStringLiteral("印刷"), QStringLiteral("棚卸表・明細書の印刷"),
         &Frm_Main::cmd_Print_Click},
        {"cmd_Year", QStringLiteral("年度設定"), QStringLiteral("年度更新処理"),
         &Frm_Main::cmd_Year_Click},
        {"cmd_End", QStringLiteral("終了"), QString(), nullptr},
    };
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    auto *keys = new KeyNav(this);
    for (const ButtonDef &d : defs) {
        auto *b = new QPushButton(d.caption, central);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setToolTip(d.tip);
        b->setMinimumSize(180, 40);
        column->addWidget(b);
        keys->button(b);
        if (d.click)
            connect(b, &QPushButton::clicked, this, d.click);
        else
            connect(b, &QPushButton::clicked, this, &QWidget::close);
    }
    setCentralWidget(central);

    QMenu *file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnu_File"));
    QAction *clear =
        file->addAction(QStringLiteral("データクリア(&C)"), this, &Frm_Main::mnu_DataClr_Click);
    clear->setObjectName(QStringLiteral("mnu_DataClr"));
    QAction *pdf = file->addAction(QStringLiteral("PDFに保存(&P)..."), this, [this] {
        // The year's sale judgement goes with the two forms when calves were sold.
        Frm_Print::savePdfs(this, year_, [this](QList<Report::Document> *docs, QString *error) {
            Report::Document doc;
            int heads = 0;
            if (!SaleReport::buildYear(year_, &doc, &heads, error)) return false;
            if (heads > 0) docs->append(doc);
            return true;
        });
    });
    pdf->setObjectName(QStringLiteral("mnu_SavePdf"));
    QAction *csvOut = file->addAction(QStringLiteral("CSV出力(&E)..."), this,
                                      [this] { CsvCommands::exportYear(this, year_); });
    csvOut->setObjectName(QStringLiteral("mnu_CsvOut"));
    QAction *csvIn = file->addAction(QStringLiteral("CSV取り込み(&I)..."), this, [this] {
        if (!CsvCommands::importRegister(this, year_)) return;
        if (auto *list = qobject_cast<Frm_CowList *>(frmCowList_.data()))
            list->Data_CowList_Refresh();
    });
    csvIn->setObjectName(QStringLiteral("mnu_CsvIn"));
    QAction *years = file->addAction(QStringLiteral("年度一覧(&Y)"), this, [this] {
        Frm_YearList overview(year_.fileName(), this);
        overview.exec();
    });
    years->setObjectName(QStringLiteral("mnu_YearList"));
    QAction *sale = file->addAction(QStringLiteral("売却牛の明細(&U)..."), this,
                                    [this] { showOnce<Frm_Sale>(frmSale_); });
    sale->setObjectName(QStringLiteral("mnu_Sale"));
    file->addSeparator()->setObjectName(QStringLiteral("mnu_kbn1"));
    QAction *save = file->addAction(QStringLiteral("バックアップを保存(&B)..."), this,
                                    [this] { SaveBackup::run(this); });
    save->setObjectName(QStringLiteral("mnu_SaveBackup"));
    QAction *restore = file->addAction(QStringLiteral("バックアップから戻す(&R)..."), this,
                                       &Frm_Main::mnu_Restore_Click);
    restore->setObjectName(QStringLiteral("mnu_Restore"));
    file->addSeparator()->setObjectName(QStringLiteral("mnu_kbn3"));
    QAction *exit = file->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("mnu_Exit"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnu_Help"));
    QAction *rerese = help->addAction(QStringLiteral("このソフトについて(&C)"), this,
                                      &Frm_Main::mnu_Rerese_Click);
    rerese->setObjectName(QStringLiteral("mnu_Rerese"));
    help->addSeparator()->setObjectName(QStringLiteral("mnu_kbn2"));
    QAction *about =
        help->addAction(QStringLiteral("バージョン情報(&A)"), this, &Frm_Main::mnu_About_Click);
    about->setObjectName(QStringLiteral("mnu_About"));

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    findChild<QPushButton *>(QStringLiteral("cmd_Cow"))->setFocus();
}

template <typename Window>
void Frm_Main::showOnce(QPointer<QWidget> &slot) {
    if (!slot) {
        slot = new Window(year_, nullptr);
        slot->setAttribute(Qt::WA_DeleteOnClose);
        slot->show();
    }
    slot->raise();
    slot->activateWindow();
}

void Frm_Main::cmd_Cow_Click() {
    showOnce<Frm_CowList>(frmCowList_);
}
void Frm_Main::cmd_Proseed_Click() {
    showOnce<Frm_Proseed>(frmProseed_);
}
void Frm_Main::cmd_Cost_Click() {
    showOnce<Frm_Cost>(frmCost_);
}
void Frm_Main::cmd_Print_Click() {
    Frm_Print print(year_, this);
    print.exec();
}
void Frm_Main::cmd_Year_Click() {
    showOnce<Frm_Year>(frmYear_);
}
void Frm_Main::mnu_DataClr_Click() {
    dlg_DataClr clear(year_, this);
    if (clear.exec() != QDialog::Accepted) return;
    // An open list would still offer the deleted calves.
    if (auto *list = qobject_cast<Frm_CowList *>(frmCowList_.data())) list->Data_CowList_Refresh();
}

void Frm_Main::mnu_Restore_Click() {
    // A window with the year open would go on showing, and saving into, the file the
    // restore replaces.
    if (!closeWindows() || !openWindows().isEmpty()) return;
    Frm_Restore restore(year_, this);
    restore.exec();
}

QList<QWidget *> Frm_Main::openWindows() const {
    QList<QWidget *> open;
    for (QWidget *w : {frmCost_.data(), frmCowList_.data(), frmProseed_.data(), frmYear_.data(),
                       frmSale_.data()})
        if (w && w->isVisible()) open << w;
    return open;
}

bool Frm_Main::closeWindows() {
    const QList<QWidget *> open = openWindows();
    // Every question first: a Cancel on the second window must not find the first closed.
    for (QWidget *w : open)
        if (auto *ledger = qobject_cast<LedgerWindow *>(w); ledger && !ledger->mayDropTyping())
            return false;
    for (QWidget *w : open) w->close();
    return true;
}

void Frm_Main::mnu_Rerese_Click() {
    QString error;
    if (!Help::open(this, &error)) MsgBox::show(this, error);
}

void Frm_Main::mnu_About_Click() {
    frmAbout about(this);
    about.exec();
}

void Frm_Main::closeEvent(QCloseEvent *event) {
    if (MsgBox::show(this, QStringLiteral("終了します。よろしいですか？"), QStringLiteral("終了"),
                     MsgBox::Buttons::OkCancel) == MsgBox::Answer::Ok) {
        if (!closeWindows()) {
            event->ignore();
            return;
        }
        year_.close();
    }
    if (!year_.isOpen() && openWindows().isEmpty()) {
        event->accept();
        return;
    }
    MsgBox::show(this, QStringLiteral("すべてのフォームを閉じてください。"),
                 QStringLiteral("エラー"));
    event->ignore();
}
