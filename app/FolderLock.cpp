#include "FolderLock.h"

#include <QCoreApplication>
#include <QSysInfo>

FolderLock::FolderLock(const QString &lockFilePath) : path_(lockFilePath), lock_(lockFilePath) {
    // Only a dead owner frees the folder: a copy that has been open all day must still
    // keep a second one out.
    lock_.setStaleLockTime(0);
}

FolderLock::Outcome FolderLock::tryHold() {
    if (lock_.isLocked()) return Outcome::Held;
    if (lock_.tryLock(0)) return Outcome::Held;
    if (lock_.error() == QLockFile::PermissionError) return Outcome::Unwritable;
    if (lock_.error() != QLockFile::LockFailedError) return Outcome::Unmade;
    // Qt judges a lock by the process id it names, and process ids come round again: a
    // copy ended by force (a frozen PC, Task Manager) could lock the farmer out for good.
    // The removal is refused while the owner lives, as its open handle (Windows) or its
    // flock (elsewhere) goes only with its process.
    if (ownerMayBeGone() && lock_.removeStaleLockFile() && lock_.tryLock(0)) return Outcome::Held;
    return Outcome::HeldElsewhere;
}

bool FolderLock::ownerMayBeGone() const {
#ifdef Q_OS_WIN
    // Windows reuses process ids soon, and Wine after a restart hands out the same few
    // again, so the id may name a live copy in another folder or this very process.
    return true;
#else
    // Elsewhere only an id of this very process is known to name no other owner (a lock
    // this process holds through another object keeps its flock, and stays). Another
    // machine's id (a shared folder) says nothing about this one's processes.
    // A lock without its owner's id was left by a copy that died between making the file
    // and writing it (a live one holds the flock from the start).
    qint64 pid = 0;
    QString host;
    if (!lock_.getLockInfo(&pid, &host, nullptr)) return true;
    return pid == QCoreApplication::applicationPid() &&
           (host.isEmpty() || host == QSysInfo::machineHostName());
#endif
}
