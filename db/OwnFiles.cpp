#include "OwnFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "Backup.h"
#include "MsgText.h"
#include "PointerFile.h"
#include "YearFiles.h"

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity FileCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity FileCase = Qt::CaseSensitive;
#endif

// The path a save to `path` really writes: QSaveFile follows a chain of links to its end
// even when the end does not exist yet, so the check must follow it the same way.
QString resolved(const QString &path) {
    QFileInfo info(QDir::current().absoluteFilePath(path));
    for (int depth = 0; depth < 64 && info.isSymLink(); ++depth)
        info.setFile(info.absoluteDir().absoluteFilePath(info.symLinkTarget()));
    if (info.exists()) return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : folder + QLatin1Char('/') + info.fileName();
}

bool samePath(const QString &a, const QString &b) {
    return a.compare(b, FileCase) == 0;
}

// A year file or the template, with SQLite's journals and the temporary name a new year
// file or backup is built under ("cowdata13.mdb.tmp").
QString kindOfName(const QString &name) {
    static const QRegularExpression yearFile(
        QStringLiteral("^cowdata.*\\.mdb(\\.tmp)?(-journal|-wal|-shm)?$"),
        FileCase == Qt::CaseInsensitive ? QRegularExpression::CaseInsensitiveOption
                                        : QRegularExpression::NoPatternOption);
    if (samePath(name, PointerFile::Name))
        return QStringLiteral("現在の年度を示すファイル（%1）です。").arg(PointerFile::Name);
    if (samePath(name, OwnFiles::LockName))
        return QStringLiteral("二重起動を防ぐためのファイルです。");
    const auto m = yearFile.match(name);
    if (!m.hasMatch()) return {};
    if (m.capturedLength(1) || m.capturedLength(2))
        return QStringLiteral("年度のデータファイルの作業用ファイルです。");
    if (samePath(name, YearFiles::TemplateName))
        return QStringLiteral("年度のデータファイルのひな形です。");
    return QStringLiteral("年度のデータファイルです。");
}

}  // namespace

QString OwnFiles::kindOf(const QString &path) {
    if (path.isEmpty()) return {};
    const QString folder = QDir::current().canonicalPath();
    const QString target = resolved(path);
    // The backup folder may itself be a link to another disk.
    const QString named = folder + QLatin1Char('/') + Backup::Folder;
    const QString linked = QFileInfo(named).canonicalFilePath();
    for (const QString &backup : {named, linked}) {
        if (!backup.isEmpty() &&
            (samePath(target, backup) || target.startsWith(backup + QLatin1Char('/'), FileCase)))
            return QStringLiteral("バックアップのフォルダ（%1）の中です。").arg(Backup::Folder);
    }
    // A backup saved into the working folder would leave with the PC it should outlive.
    if (samePath(target, folder)) return QStringLiteral("作業フォルダです。");
    const int slash = target.lastIndexOf(QLatin1Char('/'));
    if (!samePath(target.left(slash), folder)) return {};
    return kindOfName(target.mid(slash + 1));
}

QString OwnFiles::refusal(const QString &path) {
    const QString kind = kindOf(path);
    if (kind.isEmpty()) return {};
    return QStringLiteral(
               "%1 には保存できません。このプログラムの%2\n"
               "別の名前か別のフォルダを指定してください。")
        .arg(MsgText::fileLabel(QFileInfo(path).fileName()), kind);
}

QString OwnFiles::ask(const std::function<QString()> &dialog,
                      const std::function<void(const QString &refusal)> &refuse,
                      const std::function<QStringList(const QString &)> &targets) {
    for (;;) {
        const QString answer = dialog();
        if (answer.isEmpty()) return {};
        QString refused;
        for (const QString &target : targets ? targets(answer) : QStringList{answer})
            if (refused.isEmpty()) refused = refusal(target);
        if (refused.isEmpty()) return answer;
        refuse(refused);
    }
}
