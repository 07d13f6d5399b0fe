#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second copy of the program out of a working folder while this process lives,
// and never lets a copy that has died keep the folder from the next start.
class FolderLock {
  public:
    enum class Outcome {
        Held,           // this process has the folder
        HeldElsewhere,  // another live copy has it
        Unwritable,     // the folder takes no new file (a read-only folder, Program Files)
        Unmade,         // the lock file could not be written for another reason (a full disk)
    };

    explicit FolderLock(const QString &lockFilePath);

    Outcome tryHold();
    bool isHeld() const { return lock_.isLocked(); }
    const QString &path() const { return path_; }

  private:
    bool ownerMayBeGone() const;

    QString path_;
    QLockFile lock_;
};
