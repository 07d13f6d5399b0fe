#include "StartUp.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include "Backup.h"
#include "FolderLock.h"
#include "Frm_Init.h"
#include "Frm_Main.h"
#include "Frm_Wk.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "MsgText.h"
#include "PathLimit.h"
#include "PointerFile.h"
#include "Snapshot.h"
#include "YearFile.h"

namespace {

// Two copies in one folder each save whole records from what they read earlier, so one
// silently undoes the other's changes. The lock is held until the process ends.
std::unique_ptr<FolderLock> held;

bool holdWorkingFolder() {
    const QString path = QDir::current().absoluteFilePath(LockFileName);
    if (held && held->path() == path) return true;
    auto lock = std::make_unique<FolderLock>(path);
    const FolderLock::Outcome outcome = lock->tryHold();
    held.reset();
    if (outcome == FolderLock::Outcome::Held) held = std::move(lock);
    // A folder that takes no new file cannot be written by a second copy either; the
    // program runs, and every save there says why it fails.
    return outcome != FolderLock::Outcome::HeldElsewhere;
}

// A crash during a rollover or a backup leaves its half-made copy under a temporary
// name; it never held anything the year files do not, so the next start, which now has
// the folder to itself, removes it.
void removeHalfMadeCopies() {
    if (!held) return;
    const QString suffix = Snapshot::temporaryPath(QStringLiteral(".mdb"));
    for (const QString &folder : {QStringLiteral("."), Backup::Folder}) {
        const QDir dir(folder);
        const QString journal = suffix + QStringLiteral("-journal");
        for (QString name :
             dir.entryList({QLatin1Char('*') + suffix, QLatin1Char('*') + journal}, QDir::Files)) {
            if (name.endsWith(journal)) name.chop(journal.size() - suffix.size());
            Snapshot::discard(dir.filePath(name));
        }
    }
}

// SQLite cannot open a file in a folder whose path is too long; found only once the
// setup has made the year file, it would send the farmer round typing the year again.
bool workingFolderFits() {
    const QString why = PathLimit::workingFolderProblem();
    if (why.isEmpty()) return true;
    MsgBox::show(nullptr, why);
    return false;
}

// Where a farmer whose year file fileName cannot be opened can turn.
QString withBackups(const QString &fileName, const QString &problem) {
    const QString copies = Backup::newestOf(fileName);
    return copies.isEmpty() ? problem : MsgText::beforeDetail(problem, copies);
}

}  // namespace

QString DocumentsWorkingFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Moriva");
}

QString CommandLineUsage() {
    return QStringLiteral(
               "使い方：moriva [--%1]\n"
               "\n"
               "  --%1  ドキュメントフォルダの Moriva を作業フォルダにします\n"
               "               （なければ作ります）。\n"
               "  -h, --help   この説明を表示します。\n"
               "\n"
               "オプションがなければ、起動したフォルダを作業フォルダにします。\n")
        .arg(DocumentsOption);
}

bool EnterWorkingFolder(const QStringList &arguments, QString *error, QString *usage) {
    // Qt's own texts for the options and their errors are English: ours are written here.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption documents(DocumentsOption);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(documents);
    parser.addOption(help);
    const bool parsed = parser.parse(arguments);
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        QStringList details;
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            details << QStringLiteral("知らないオプションです：%1")
                           .arg(unknown.join(QStringLiteral("、")));
        if (!parser.positionalArguments().isEmpty())
            details << QStringLiteral("余分な引数です：%1")
                           .arg(parser.positionalArguments().join(QStringLiteral("、")));
        if (details.isEmpty())  // the only other error: a value given to an option
            details << QStringLiteral("オプションに値はつけられません：%1")
                           .arg(arguments.mid(1).join(u' '));
        *error = MsgText::withDetail(
            QStringLiteral("起動のしかたが違います。\n使い方：moriva [--%1]").arg(DocumentsOption),
            details.join(u'\n'));
        return false;
    }
    if (parser.isSet(help)) {
        if (usage) *usage = CommandLineUsage();
        return true;
    }
    if (!parser.isSet(documents)) return true;

    const QString folder = DocumentsWorkingFolder();
    if (QDir().mkpath(folder) && QDir::setCurrent(folder)) return true;
    *error = QStringLiteral("作業フォルダ %1 を作れませんでした。")
                 .arg(QDir::toNativeSeparators(folder));
    return false;
}

void releaseWorkingFolder() {
    held.reset();
}

std::unique_ptr<Frm_Main> StartUp() {
    if (!workingFolderFits()) return nullptr;
    if (!holdWorkingFolder()) {
        MsgBox::show(nullptr, QStringLiteral("Moriva はこのフォルダですでに起動しています。\n"
                                             "開いている Moriva の画面をお使いください。"));
        return nullptr;
    }
    removeHalfMadeCopies();
    QString fileName, problem;
    // The year file is opened, and checked page by page, once: by the work window's load.
    PointerFile::Read read = ReadCurrentYear(&fileName, &problem);
    for (;;) {
        if (read == PointerFile::Read::Unreadable)
            MsgBox::show(nullptr, MsgText::beforeDetail(
                                      problem, QStringLiteral("処理年度を設定し直してください。")));
        if (read != PointerFile::Read::Ok) {
            Frm_Init init;
            if (init.exec() != QDialog::Accepted) return nullptr;
            fileName = M_Cow::yearFileName(init.yearText());
        }
        // A year file that fails to open or to read is treated as damaged, left
        // untouched, and the farmer chooses the year again.
        if (Frm_Wk::load(fileName, &problem)) break;
        problem = withBackups(fileName, problem);
        read = PointerFile::Read::Unreadable;
    }
    return std::make_unique<Frm_Main>();
}
