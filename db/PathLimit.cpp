#include "PathLimit.h"

#include <sqlite3.h>
#include <QDir>
#include <QFileInfo>

#include "M_Cow.h"
#include "MsgText.h"
#include "Snapshot.h"

namespace {

// The pager refuses a database whose journal name would pass mxPathname.
constexpr int JournalSuffix = 8;  // "-journal"

}  // namespace

int PathLimit::maxBytes() {
    const sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    return (vfs ? vfs->mxPathname : 512) - JournalSuffix;
}

QString PathLimit::fullPath(const QString &path) {
    // The nearest folder that exists is resolved; what is still to be made is added as
    // it is named.
    QFileInfo info(QDir::current(), path);
    QString rest;
    while (!info.exists() && !info.isSymLink()) {
        const QString parent = info.absolutePath();
        rest = QLatin1Char('/') + info.fileName() + rest;
        if (parent == info.absoluteFilePath()) break;
        info = QFileInfo(parent);
    }
    const QString found = info.canonicalFilePath();
    return (found.isEmpty() ? info.absoluteFilePath() : found) + rest;
}

QString PathLimit::problem(const QString &path) {
    const qsizetype bytes = fullPath(path).toUtf8().size();
    if (bytes <= maxBytes()) return {};
    return QStringLiteral(
               "データベースが開けるファイルの場所は、フォルダ名とファイル名を合わせて "
               "%1 バイト（漢字やかなは1文字 3 バイト）までですが、ここでは %2 バイトになります。")
        .arg(maxBytes())
        .arg(bytes);
}

QString PathLimit::workingFolderProblem() {
    const QString longest = Snapshot::temporaryPath(M_Cow::yearFileName(QStringLiteral("99")));
    const QString why = problem(longest);
    if (why.isEmpty()) return {};
    return QStringLiteral(
               "作業フォルダ %1 は場所を表す名前が長すぎるため、"
               "年度データを作ることも開くこともできません。\n")
               .arg(MsgText::fileLabel(QDir::currentPath())) +
           why +
           QStringLiteral(
               "\n何も作らずに終了します。もっと短い名前のフォルダ"
               "（たとえばドキュメントのすぐ下）に移して、そこで Moriva を起動してください。");
}
