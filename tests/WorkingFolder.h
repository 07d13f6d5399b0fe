#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

// A fresh temporary folder made the working folder for one test, and left (then
// removed) when the test is done.
class WorkingFolder {
  public:
    WorkingFolder() {
        if (!dir_.isValid() || !QDir::setCurrent(dir_.path()))
            qFatal("no temporary working folder");
    }
    ~WorkingFolder() { QDir::setCurrent(QDir::tempPath()); }
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};
