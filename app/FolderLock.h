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
        Unwritable,     // no lock file can be made there (a read-only folder)
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
