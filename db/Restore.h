#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "SavedBackup.h"

// Bringing a year back from a copy: an automatic backup in the working folder's backup
// folder or a year of a saved backup (a USB stick). A restore can itself be undone: the
// file it replaces is kept first as a backup of its own kind.
namespace Restore {

enum class Kind { Daily, BeforeClear, BeforeRestore, Saved };

struct Copy {
    QString path;      // of the copy
    QString yearFile;  // the year file it restores: cowdata13.mdb
    QDateTime made;
    Kind kind = Kind::Daily;
    qint64 heads = 0;
    std::optional<qint64> closing;  // 期末棚卸計
    QString problem;                // why it cannot be restored, in Japanese; "" when it can
    // A saved copy whose folder has no list: restorable, but what it holds cannot be
    // checked against what was saved; the farmer is told before it is restored.
    QString caution;
    QString reason;  // the problem, else the caution, in a few words for the copy's row
    std::optional<SavedBackup::Listed> listed;  // its line in its folder's list
};

// Every copy found, newest first: those in the backup folder and, when savedFolder is
// given, the years of the saved backups in it (or of savedFolder itself when it is one).
// Copies are only ever opened read-only, and never through a link; a saved one must
// match its line in its folder's list. One that cannot be used carries its problem.
QList<Copy> find(const QString &savedFolder, const SavedBackup::Closing &closing);

// Makes copy.yearFile in the working folder hold what the copy holds. The file there now
// becomes a backup of its own first; the copy goes in under a temporary name, is checked,
// and only then takes the year file's name in one rename. release is called just before
// that rename, so that whoever has the file open can let it go. The copy is checked again
// first, as the list found it: a stick can be swapped while the list is shown.
bool restore(const Copy &copy, const std::function<void()> &release, QString *error);

}  // namespace Restore
