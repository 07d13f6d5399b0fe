#pragma once

#include <QString>
#include <QStringList>

class YearFile;

// Snapshots of year files in the backup folder of the working folder, named after the
// year file, the order of making and the moment they were taken:
// backup/cowdata13_0012_2026-12-07_153000.mdb. A snapshot taken before a data clear
// ends in "_clear". Generations are counted in the order they were made, never by the
// clock in their names: a clock that was once ahead must not make a new backup look old.
// The last Generations of each year file are kept, and besides them the newest
// snapshot taken before a data clear, so that a mistaken clear can be undone however
// many days of saves follow it.
namespace Backup {

inline const QString Folder = QStringLiteral("backup");
constexpr int Generations = 10;

// A snapshot taken before a restore ends in "_restore" and is kept like the one before a
// clear, so that a restore can itself be undone. Restores one after another, with no
// change to the year between them, are one run: the snapshot taken before the first of
// them holds what the farmer had and stays until the file changes; one taken before a
// later one holds only what a restore brought back and goes when the next is taken, so
// that trying copies one by one pushes no older backup out. A run is known to this run
// of the program only.
enum class Kind { Ordinary, BeforeClear, BeforeRestore };

// Takes a snapshot of the file open on `file` now. Older generations are removed only
// once the new one is complete and checked, so a failure never costs a good backup.
// On failure nothing is left behind and *error says why, in Japanese.
bool make(const YearFile &file, QString *error, Kind kind = Kind::Ordinary);

// A restore has just put the year file in place: a restore over it before it changes
// continues the run.
void restored(const QString &yearFileName);

// Before the first change of the current year file on a calendar day: a snapshot,
// unless the folder already holds one from that day. A failure is not reported here;
// the change goes ahead. Tried at most once a day per file and run.
void beforeChange(const YearFile &file);

// The backups of a year file in the backup folder, oldest first by making. Names of
// earlier versions (cowdata13_2026-12-07_153000[_2].mdb), which had no order number,
// count as made before every numbered one, in the order of their stamps.
QStringList of(const QString &yearFileName);

// For a message about a year file that cannot be used: where its backups are, how many,
// and the newest made; "" when there is none.
QString newestOf(const QString &yearFileName);

// True for the name of a snapshot taken before a data clear.
bool isBeforeClear(const QString &backupName);
Kind kindOf(const QString &backupName);

}  // namespace Backup
