#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The files the program keeps in its working folder, which no file dialog may ever
// write over: a CSV or PDF saved onto a year file destroys the year, and one saved onto
// a journal is written back into the year by SQLite.
namespace OwnFiles {

// The lock file in the working folder that keeps a second copy of the program out.
inline const QString LockName = QStringLiteral("moriva.lock");

// Why path may not be written, in Japanese ("年度のデータファイルです。"), when it is one of its
// own files in the working folder, whatever the spelling: a relative or absolute path, a
// symbolic link (followed as a save follows it, even when it leads nowhere yet), and on
// Windows any letter case. "" when the program may write there.
QString kindOf(const QString &path);

// The message refusing path as a save target, or "" when it may be written.
QString refusal(const QString &path);

// Runs dialog until it is cancelled ("") or its answer is fit to write: an answer any
// of whose targets (the answer itself by default) is one of the program's own files is
// handed to refuse with the message refusing it, and the dialog is shown again.
QString ask(const std::function<QString()> &dialog,
            const std::function<void(const QString &refusal)> &refuse,
            const std::function<QStringList(const QString &answer)> &targets = {});

}  // namespace OwnFiles
