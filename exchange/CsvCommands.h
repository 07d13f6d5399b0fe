#pragma once

#include <QString>

class CurrentYear;
class QWidget;

// The main menu's CSV entries, from the file dialogs to the last message.
namespace CsvCommands {

// "CSV出力": the register and then the year's figures, each to a file the user names
// (cancelling one dialog skips only that file).
void exportYear(QWidget *parent, CurrentYear &year);

// "CSV取り込み": a file chosen by the user, read, previewed, and on the user's word added
// to the current year's register. True when calves were added; the work totals are
// then re-read, and the caller re-reads any calf list it shows.
bool importRegister(QWidget *parent, CurrentYear &year);
bool importFile(QWidget *parent, CurrentYear &year, const QString &path);

}  // namespace CsvCommands
