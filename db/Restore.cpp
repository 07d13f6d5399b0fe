#include "Restore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>

#include "Backup.h"
#include "Checkpoint.h"
#include "MsgText.h"
#include "PointerFile.h"
#include "Snapshot.h"
#include "YearFile.h"

namespace {

const QRegularExpression YearName(QStringLiteral("^cowdata[0-9]{1,2}\\.mdb$"));

// The year file and moment an automatic backup's name gives; nullopt for a foreign name.
std::optional<std::pair<QString, QDateTime>> backupName(const QString &name) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(cowdata[0-9]{1,2})_(?:\\d+_)?(\\d{4}-\\d\\d-\\d\\d_\\d{6})(?:_\\d+)?(?:_clear|_restore)?"
        "\\.mdb$"));
    const auto m = pattern.match(name);
    if (!m.hasMatch()) return std::nullopt;
    return std::pair{m.captured(1) + QStringLiteral(".mdb"),
                     QDateTime::fromString(m.captured(2), QStringLiteral("yyyy-MM-dd_HHmmss"))};
}

// What can be told of a copy before SQLite opens it, which would follow a link out of
// the folder: "" when it may be opened.
QString beforeOpening(const Restore::Copy &c) {
    const QFileInfo info(c.path);
    const QString label = MsgText::fileLabel(c.path);
    if (info.isSymLink())
        return QStringLiteral("%1 はほかの場所のファイルを指すリンクなので、戻せません。")
            .arg(label);
    // A flipped bit or a hand edit that SQLite's check cannot see (a calf's name) changes
    // the bytes the list gives.
    if (c.listed && info.isFile() && SavedBackup::sha256Of(c.path) != c.listed->sha256)
        return QStringLiteral(
                   "%1 は %2 に書かれた中身と違います。\n"
                   "保存したあとで書き換わったか、壊れています。")
            .arg(label, SavedBackup::ListName);
    return {};
}

// Opens a copy to read it, checked as far as it can be without restoring it.
std::shared_ptr<YearFile> openCopy(const Restore::Copy &c, std::optional<Snapshot::Counts> *counts,
                                   QString *problem) {
    *problem = beforeOpening(c);
    if (!problem->isEmpty()) return nullptr;
    auto file = YearFile::open(c.path, problem, true);
    if (file) *counts = Snapshot::counts(*file, problem);
    if (!file || !*counts) return nullptr;
    if (c.listed && (**counts)[0] != c.listed->heads) {
        *problem = QStringLiteral("%1 の子牛は %2 頭で、%3 の %4 頭と合いません。")
                       .arg(MsgText::fileLabel(c.path), QString::number((**counts)[0]),
                            SavedBackup::ListName, QString::number(c.listed->heads));
        return nullptr;
    }
    return file;
}

// Reads what the list shows of a copy, or why it cannot be restored.
void describe(Restore::Copy *copy, const SavedBackup::Closing &closing) {
    if (!copy->problem.isEmpty()) return;  // its folder as a whole cannot be trusted
    std::optional<Snapshot::Counts> counts;
    const auto file = openCopy(*copy, &counts, &copy->problem);
    if (!file) return;
    copy->heads = (*counts)[0];
    if (closing) copy->closing = closing(file);
}

// A problem's first line as the copy's row shows it: every message names the file
// first, and its path would fill the column.
QString inWords(const QString &problem, const QString &path) {
    return problem.section(QLatin1Char('\n'), 0, 0)
        .replace(MsgText::fileLabel(path) + QLatin1Char(' '), QStringLiteral("この写し"))
        .remove(QStringLiteral("ファイルには手を加えていません。"))
        .trimmed();
}

// Links are listed, never followed: QDir::System brings those whose target is gone.
QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name);
}

void savedYears(const QString &folder, const QDateTime &made, QList<Restore::Copy> *found) {
    QHash<QString, SavedBackup::Listed> listed;
    QString problem;  // of the folder as a whole
    SavedBackup::List list = SavedBackup::List::Unusable;
    if (QFileInfo(folder).isSymLink())
        problem = QStringLiteral(
            "このバックアップのフォルダはほかの場所を指すリンクなので、戻せません。");
    else if (QFileInfo(QDir(folder).filePath(PointerFile::Name)).isSymLink())
        problem =
            QStringLiteral("このバックアップの %1 はほかの場所を指すリンクなので、戻せません。")
                .arg(PointerFile::Name);
    else
        list = SavedBackup::readList(folder, &listed, &problem);
    QStringList names = filesIn(folder);
    names.removeIf([](const QString &n) { return !YearName.match(n).hasMatch(); });
    // A year the list names and the folder lacks: the backup is not whole. Only a year's
    // own name is taken from the list, never a path out of the folder.
    for (auto y = listed.cbegin(); y != listed.cend(); ++y)
        if (YearName.match(y.key()).hasMatch() && !names.contains(y.key())) names << y.key();
    names.sort();
    for (const QString &name : names) {
        Restore::Copy c{QDir(folder).filePath(name), name, made, Restore::Kind::Saved};
        c.problem = problem;
        if (list == SavedBackup::List::Missing)
            c.caution = QStringLiteral("%1 がないので、保存したときのままか確かめられません。")
                            .arg(SavedBackup::ListName);
        else if (list == SavedBackup::List::Read && listed.contains(name))
            c.listed = listed.value(name);
        else if (list == SavedBackup::List::Read)
            c.problem = QStringLiteral("%1 は %2 に載っていません。")
                            .arg(MsgText::fileLabel(c.path), SavedBackup::ListName);
        found->append(c);
    }
}

}  // namespace

QList<Restore::Copy> Restore::find(const QString &savedFolder,
                                   const SavedBackup::Closing &closing) {
    QList<Copy> found;
    for (const QString &name : filesIn(Backup::Folder)) {
        const auto named = backupName(name);
        if (!named) continue;
        const Backup::Kind kind = Backup::kindOf(name);
        found.append({QDir(Backup::Folder).filePath(name), named->first, named->second,
                      kind == Backup::Kind::BeforeClear     ? Kind::BeforeClear
                      : kind == Backup::Kind::BeforeRestore ? Kind::BeforeRestore
                                                            : Kind::Daily});
    }
    if (!savedFolder.isEmpty()) {
        // The stick itself, or a saved backup folder chosen directly.
        static const QRegularExpression saved(
            QRegularExpression::escape(SavedBackup::Prefix) +
            QStringLiteral("(\\d{4}-\\d\\d-\\d\\d-\\d{4})(-\\d+)?$"));
        QStringList folders = QDir(savedFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (QString &f : folders) f = QDir(savedFolder).filePath(f);
        folders << savedFolder;
        for (const QString &folder : folders) {
            const auto m = saved.match(QFileInfo(folder).fileName());
            if (m.hasMatch())
                savedYears(folder,
                           QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd-HHmm")),
                           &found);
        }
    }
    for (Copy &c : found) {
        describe(&c, closing);
        c.reason = c.problem.isEmpty() ? c.caution : inWords(c.problem, c.path);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Copy &a, const Copy &b) { return a.made > b.made; });
    return found;
}

bool Restore::restore(const Copy &copy, const std::function<void()> &release, QString *error) {
    const QString target = copy.yearFile;
    const QString temporary = Snapshot::temporaryPath(target);
    auto fail = [&](const QString &why) {
        Snapshot::discard(temporary);
        // The copy names itself where it is at fault; whatever else refuses is here.
        *error =
            QStringLiteral(
                "%1 をバックアップから戻せませんでした。作業フォルダ %2 の %1 は元のままです。\n%3")
                .arg(target, MsgText::fileLabel(QDir::currentPath()), why);
        return false;
    };
    if (!copy.problem.isEmpty()) return fail(copy.problem);
    QString why;
    {
        std::optional<Snapshot::Counts> expected;
        const auto source = openCopy(copy, &expected, &why);
        if (!source) return fail(why);
        if (QFile::exists(target)) {
            const auto now = YearFile::open(target, &why, true);
            // A file that cannot be opened is what a restore is most often for. It is
            // kept byte for byte, out of the list of copies to restore from.
            const QString kept =
                QStringLiteral("%1/%2_damaged_%3.mdb")
                    .arg(
                        Backup::Folder, QFileInfo(target).completeBaseName(),
                        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmmss")));
            if (now ? !Backup::make(*now, &why, Backup::Kind::BeforeRestore)
                    : !QDir().mkpath(Backup::Folder) || !QFile::copy(target, kept))
                return fail(now ? why : why + QStringLiteral("\n%1 を残せません。").arg(kept));
        }
        MORIVA_CHECKPOINT("restore: current kept");
        if (!Snapshot::copy(*source, temporary, &why)) return fail(why);
        MORIVA_CHECKPOINT("restore: copied");
        const auto made = YearFile::open(temporary, &why, true);
        if (!made) return fail(why);
        if (const QString bad = Snapshot::check(*made, *expected); !bad.isEmpty()) return fail(bad);
    }
    if (!Snapshot::sync(temporary, &why)) return fail(why);
    if (release) release();
    // One rename that replaces the year file: it is the old file or the restored one,
    // never neither.
    const QByteArray stamp = YearFile::stamp(temporary);
    std::error_code failed;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(target.toStdU16String()), failed);
    if (failed)
        return fail(QStringLiteral("%1 を置き換えられません。\n詳細：%2")
                        .arg(target, QString::fromLocal8Bit(failed.message())));
    MORIVA_CHECKPOINT("restore: renamed");
    YearFile::renamed(temporary, target, stamp);
    Snapshot::sync(QDir::currentPath(), &why, true);
    Backup::restored(target);
    return true;
}
