// Starts the program in the current folder as main() does and performs one operation
// through the same code a click runs, then ends: the reliability tests run it as a child
// process so that it can be crashed at a checkpoint or refused by the disk.
//
// moriva_driver OPERATION [YEAR, or the folder savebackup saves into]; every message box
// goes to stdout as "message: TEXT".
// Exit 0: done; 1: refused with a message; 2: the setup window would have been needed;
// 3: bad use. A crash point ends it with 86 (core/Checkpoint).

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>

#include "CurrentYear.h"
#include "Frm_Cost.h"
#include "Frm_Cow.h"
#include "Frm_Init.h"
#include "Frm_Main.h"
#include "Frm_Restore.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "SaveBackup.h"
#include "StartUp.h"
#include "Valuation.h"
#include "YearFile.h"
#include "YearProcedures.h"

namespace {

QString year;  // the year the operation is given, when it takes one

void type(QWidget *window, const char *field, const QString &text) {
    window->findChild<QLineEdit *>(QString::fromLatin1(field))->setText(text);
}

// The year window's work once the year is typed: to the year given to the driver.
// The run's one current year, as main() makes it.
CurrentYear &theYear() {
    static CurrentYear current;
    return current;
}

bool yearProcedure(bool (*procedure)(CurrentYear &, const QString &, QString *)) {
    QString error;
    if (procedure(theYear(), M_Cow::yearFileName(year), &error)) return true;
    MsgBox::show(nullptr, error);
    return false;
}

// Each operation returns whether it did what it was asked; a refusal shows a message.
const std::map<QString, std::function<bool()>> operations = {
    {"start", [] { return true; }},
    // The start itself brings a year file of an earlier version up to this one, or
    // shows it only to be read when it cannot.
    {"upgrade", [] { return !theYear().wk()->file()->readOnly(); }},
    {"hold",
     [] {
         std::printf("ready\n");
         std::fflush(stdout);
         return QApplication::exec() == 0;
     }},
    {"valuation",
     [] {
         Frm_Wk *wk = theYear().wk();
         QString error;
         if (Cal_Cow(*wk->file(), wk->Cal_TukiHiiku(), &error)) return true;
         MsgBox::show(nullptr, error);
         return false;
     }},
    {"calf",
     [] {
         Frm_Cow editor(theYear(), std::nullopt);
         editor.show();
         type(&editor, "t_No", QStringLiteral("9"));
         type(&editor, "t_Name", QStringLiteral("さくら"));
         type(&editor, "t_I_Date", QStringLiteral("H13/5/10"));
         type(&editor, "t_I_Kingaku", QStringLiteral("350,000"));
         editor.cmd_New_Click();
         return MsgBox::shown().isEmpty();
     }},
    {"ledger",
     [] {
         auto *cost = new Frm_Cost(theYear());
         cost->setAttribute(Qt::WA_DeleteOnClose);
         cost->show();
         cost->Form_Activate();
         type(cost, "t_Sozei", QStringLiteral("1,111"));
         type(cost, "t_Etc1_Name", QStringLiteral("敷料"));
         cost->cmd_Set_Click();
         return MsgBox::shown().isEmpty();
     }},
    // The setup itself is driven from the modal handler below.
    {"setup", [] { return MsgBox::shown().isEmpty(); }},
    {"switch",
     [] {
         return yearProcedure([](CurrentYear &y, const QString &f, QString *e) {
             return YearProcedures::switchYear(y, f, e);
         });
     }},
    {"rollover", [] { return yearProcedure(YearProcedures::rollOver); }},
    {"savebackup",
     [] {
         Frm_Restore::setFolderAnswer([] { return year; });
         SaveBackup::run(nullptr);
         return MsgBox::shown().size() == 1 &&
                MsgBox::shown()[0].text.startsWith(QStringLiteral("バックアップを保存しました。"));
     }},
    // The current year back from the saved backup in the folder given.
    {"restore",
     [] {
         Frm_Restore::setFolderAnswer([] { return year; });
         Frm_Restore window(theYear());
         window.cmd_Folder_Click();
         auto *grid = window.findChild<QTableView *>(QStringLiteral("grid_Copies"));
         for (int r = 0; r < grid->model()->rowCount(); ++r)
             if (grid->model()->index(r, 0).data() == M_Cow::yearOfFileName(theYear().fileName()))
                 grid->selectRow(r);
         window.cmd_Restore_Click();
         // A copy the window refuses to offer is not restored, and nothing is said.
         return !MsgBox::shown().isEmpty() &&
                MsgBox::shown().last().text == QStringLiteral("バックアップから戻しました。");
     }},
    {"dataclear",
     [] {
         QString error;
         if (YearProcedures::clearData(theYear(), &error)) return true;
         MsgBox::show(nullptr, error);
         return false;
     }},
};

}  // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moriva"));
    const QStringList args = QApplication::arguments();
    const auto op = operations.find(args.value(1));
    if (op == operations.end()) {
        std::fprintf(stderr, "usage: moriva_driver OPERATION [YEAR]\n");
        return 3;
    }
    year = args.value(2);
    MsgBox::setHeadless(true);

    // The setup is the one modal window start-up can show: "setup" types the year into
    // it, any other operation reports that it was needed.
    bool setupShown = false;
    QTimer modal;
    QObject::connect(&modal, &QTimer::timeout, [&] {
        auto *init = qobject_cast<Frm_Init *>(QApplication::activeModalWidget());
        if (!init) return;
        setupShown = true;
        if (op->first == QLatin1String("setup") && !year.isEmpty()) {
            type(init, "t_Nendo", year);
            year.clear();
            init->cmd_Set_Click();
        }
        if (init->isVisible()) init->reject();
    });
    modal.start(5);

    const auto main = StartUp(theYear());
    modal.stop();
    int result = 0;
    if (!main)
        result = setupShown && MsgBox::shown().isEmpty() ? 2 : 1;
    else if (setupShown && op->first != QLatin1String("setup"))
        result = 2;
    else
        result = op->second() ? 0 : 1;
    for (const MsgBox::Shown &m : MsgBox::shown())
        std::printf(
            "message: %s\n",
            QString(m.text).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8().constData());
    theYear().close();
    return result;
}
