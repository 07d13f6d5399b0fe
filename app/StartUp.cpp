#include "StartUp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

#include "Backup.h"
#include "CurrentYear.h"
#include "FolderLock.h"
#include "Frm_Init.h"
#include "Frm_Main.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "MsgText.h"
#include "PathLimit.h"
#include "PointerFile.h"
#include "Snapshot.h"
#include "YearFile.h"
#include "YearProcedures.h"

namespace {

// Two copies in one folder each save whole records from what they read earlier, so one
// silently undoes the other's changes. The lock is held until the process ends.
std::unique_ptr<FolderLock> held;

// Where a farmer who started the program in a folder that takes no file can turn. With
// a year there (a copy on read-only media) the year can still be read.
QString unwritable(const QString &year) {
    const QString what =
        year.isEmpty() ? QStringLiteral("Moriva を起動できません。")
                       : QStringLiteral("%1 年度は見るだけで、変更は保存できません。").arg(year);
    return QStringLiteral(
               "作業フォルダ %1 にはファイルを作れないため、%2\n"
#ifdef Q_OS_WIN
               "スタートメニューの Moriva から起動すると、ドキュメントの Moriva "
               "フォルダで動きます。\n"
#else
               "メニューの Moriva から起動すると（moriva --documents と同じです）、"
               "ドキュメントの Moriva フォルダで動きます。\n"
#endif
               "このフォルダのデータを使うときは、フォルダを書き込める場所"
               "（ドキュメントなど）に移してから、そこで Moriva を起動してください。")
        .arg(MsgText::fileLabel(QDir::toNativeSeparators(QDir::currentPath())), what);
}

// Held when this process has the folder. A lock lost otherwise than to another copy or
// to a folder that refuses new files (a full disk) keeps nobody out: the farmer can still
// read the year, and each save says why it fails.
FolderLock::Outcome holdWorkingFolder() {
    const QString path = QDir::current().absoluteFilePath(LockFileName);
    if (held && held->path() == path) return FolderLock::Outcome::Held;
    auto lock = std::make_unique<FolderLock>(path);
    const FolderLock::Outcome outcome = lock->tryHold();
    held.reset();
    if (outcome == FolderLock::Outcome::Held) held = std::move(lock);
    return outcome;
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

// The year file the farmer opened from the file manager becomes current as the year
// switch makes a year current, with its checks; true when it did.
bool switchedTo(CurrentYear &year, const QString &fileName, PointerFile::Read read,
                const QString &current) {
    if (read == PointerFile::Read::Ok && fileName == current) return false;
    QString error;
    if (YearProcedures::switchYear(year, fileName, &error, current)) return true;
    // With no current year there is no year to stay in: only the reason applies.
    if (read != PointerFile::Read::Ok)
        error = MsgText::withDetail(QStringLiteral("%1 を開けませんでした。").arg(fileName),
                                    error.section(u'\n', 1));
    MsgBox::show(nullptr, error);
    return false;
}

bool isYearFileName(const QString &name) {
    // Windows, whose file names ignore case, may pass the name as the farmer typed it.
    static const QRegularExpression pattern(QStringLiteral("^cowdata\\d\\d\\.mdb$"),
#ifdef Q_OS_WIN
                                            QRegularExpression::CaseInsensitiveOption
#else
                                            QRegularExpression::NoPatternOption
#endif
    );
    return pattern.match(name).hasMatch();
}

// The setup's uninstall entry names the folder it installed into; the portable copy has
// none, and keeps working where it was started.
bool startedInInstalledFolder() {
#ifdef Q_OS_WIN
    const QString program = QCoreApplication::applicationDirPath();
    const QSettings entry(
        QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                       "Uninstall\\Moriva"),
        QSettings::Registry64Format);
    return IsInstalledFolder(QDir::currentPath(), program) &&
           IsInstalledFolder(program, entry.value(QStringLiteral("InstallLocation")).toString());
#else
    return false;
#endif
}

}  // namespace

bool IsInstalledFolder(const QString &folder, const QString &installLocation) {
    const auto clean = [](QString path) { return QDir::cleanPath(path.replace(u'\\', u'/')); };
    return !installLocation.isEmpty() &&
           clean(folder).compare(clean(installLocation), Qt::CaseInsensitive) == 0;
}

QString DocumentsWorkingFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Moriva");
}

QString CommandLineUsage() {
    return QStringLiteral(
               "使い方：moriva [--%1] [cowdataNN.mdb]\n"
               "\n"
               "  --%1  ドキュメントフォルダの Moriva を作業フォルダにします\n"
               "               （なければ作ります）。\n"
               "  -h, --help   この説明を表示します。\n"
               "  cowdataNN.mdb  その年度のファイルのあるフォルダを作業フォルダにして、\n"
               "               その年度に切り替えます。\n"
               "\n"
               "オプションがなければ、起動したフォルダを作業フォルダにします。\n")
        .arg(DocumentsOption);
}

bool EnterWorkingFolder(const QStringList &arguments, QString *error, QString *usage,
                        QString *yearFile) {
    // Qt's own texts for the options and their errors are English: ours are written here.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption documents(DocumentsOption);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(documents);
    parser.addOption(help);
    const bool parsed = parser.parse(arguments);
    const QStringList positional = parser.positionalArguments();
    const QFileInfo opened(positional.value(0));
    const bool yearArgument = positional.size() == 1 && isYearFileName(opened.fileName());
    if (!parsed || (!positional.isEmpty() && !yearArgument)) {
        QStringList details;
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            details << QStringLiteral("知らないオプションです：%1")
                           .arg(unknown.join(QStringLiteral("、")));
        if (!positional.isEmpty())
            details << QStringLiteral(
                           "余分な引数です：%1\n"
                           "開けるのは年度のファイル（cowdata13.mdb など）ひとつです。"
                           "ほかの年度へは「年度設定」で切り替えます。")
                           .arg(positional.join(QStringLiteral("、")));
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
    if (yearArgument) {
        if (yearFile) *yearFile = M_Cow::yearFileName(M_Cow::yearOfFileName(opened.fileName()));
        if (QDir::setCurrent(opened.absolutePath())) return true;
        *error = QStringLiteral("作業フォルダ %1 に入れませんでした。")
                     .arg(QDir::toNativeSeparators(opened.absolutePath()));
        return false;
    }
    if (!parser.isSet(documents) && !startedInInstalledFolder()) return true;

    const QString folder = DocumentsWorkingFolder();
    if (QDir().mkpath(folder) && QDir::setCurrent(folder)) return true;
    *error = QStringLiteral("作業フォルダ %1 を作れませんでした。")
                 .arg(QDir::toNativeSeparators(folder));
    return false;
}

void releaseWorkingFolder() {
    held.reset();
}

std::unique_ptr<Frm_Main> StartUp(CurrentYear &year, const QString &yearFile) {
    if (!workingFolderFits()) return nullptr;
    const FolderLock::Outcome folder = holdWorkingFolder();
    if (folder == FolderLock::Outcome::HeldElsewhere) {
        MsgBox::show(nullptr, QStringLiteral("Moriva はこのフォルダですでに起動しています。\n"
                                             "開いている Moriva の画面をお使いください。"));
        return nullptr;
    }
    removeHalfMadeCopies();
    QString fileName, problem;
    // The year file is opened, and checked page by page, once: by the work window's load.
    PointerFile::Read read = ReadCurrentYear(&fileName, &problem);
    // Without a year the setup could make none here, and would ask again and again.
    if (folder == FolderLock::Outcome::Unwritable) {
        const bool readable = read == PointerFile::Read::Ok;
        MsgBox::show(nullptr, unwritable(readable ? M_Cow::yearOfFileName(fileName) : QString()));
        if (!readable) return nullptr;
    }
    if (!yearFile.isEmpty() && switchedTo(year, yearFile, read, fileName))
        return std::make_unique<Frm_Main>(year);
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
        if (year.open(fileName, &problem)) break;
        problem = withBackups(fileName, problem);
        read = PointerFile::Read::Unreadable;
    }
    return std::make_unique<Frm_Main>(year);
}
