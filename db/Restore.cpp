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

// Reads what the list shows of a copy, or why it cannot be restored.
void describe(Restore::Copy *copy, const SavedBackup::Closing &closing) {
    const auto file = YearFile::open(copy->path, &copy->problem, true);
    if (!file) return;
    const auto counts = Snapshot::counts(*file, QStringLiteral("1"), &copy->problem);
    if (!counts) return;
    copy->heads = (*counts)[0];
    if (closing) copy->closing = closing(file);
}

void savedYears(const QString &folder, const QDateTime &made, QList<Restore::Copy> *found) {
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
        if (YearName.match(name).hasMatch())
            found->append({QDir(folder).filePath(name), name, made, Restore::Kind::Saved});
}

}  // namespace

QList<Restore::Copy> Restore::find(const QString &savedFolder,
                                   const SavedBackup::Closing &closing) {
    QList<Copy> found;
    for (const QString &name : QDir(Backup::Folder).entryList(QDir::Files, QDir::Name)) {
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
    for (Copy &c : found) describe(&c, closing);
    std::stable_sort(found.begin(), found.end(),
                     [](const Copy &a, const Copy &b) { return a.made > b.made; });
    return found;
}

bool Restore::restore(const Copy &copy, const std::function<void()> &release, QString *error) {
    const QString target = copy.yearFile;
    const QString temporary = Snapshot::temporaryPath(target);
    auto fail = [&](const QString &why) {
        Snapshot::discard(temporary);
        *error = QStringLiteral("%1 をバックアップから戻せませんでした。%1 は元のままです。\n%2")
                     .arg(target, why);
        return false;
    };
    QString why;
    {
        const auto source = YearFile::open(copy.path, &why, true);
        if (!source) return fail(why);
        const auto expected = Snapshot::counts(*source, QStringLiteral("1"), &why);
        if (!expected) return fail(why);
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
    return true;
}
