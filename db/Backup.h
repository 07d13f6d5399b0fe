#pragma once

#include <QString>
#include <QStringList>

class YearFile;

// Snapshots of year files in the backup folder of the working folder, named after the
// year file and the moment they were taken: backup/cowdata13_2026-12-07_153000.mdb.
// The last Generations of each year file are kept.
namespace Backup {

inline const QString Folder = QStringLiteral("backup");
constexpr int Generations = 10;

// Takes a snapshot of the file open on `file` now. Older generations are removed only
// once the new one is complete and checked, so a failure never costs a good backup.
// On failure nothing is left behind and *error says why, in Japanese.
bool make(const YearFile &file, QString *error);

// Before the first change of the current year file on a calendar day: a snapshot,
// unless the folder already holds one from that day. A failure is not reported here;
// the change goes ahead. Tried at most once a day per file and run.
void beforeChange(const YearFile &file);

// The backups of a year file in the backup folder, oldest first.
QStringList of(const QString &yearFileName);

}  // namespace Backup
