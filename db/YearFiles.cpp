#include "YearFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "Checkpoint.h"
#include "MsgText.h"
#include "YearFile.h"

bool YearFiles::createFromTemplate(const QString &fileName, QString *error) {
    if (QFileInfo(fileName).isDir()) {
        *error = QStringLiteral("%1 という名前のフォルダがあるため、年度データを作れません。")
                     .arg(MsgText::fileLabel(fileName));
        return false;
    }
    if (QFile::exists(fileName)) {
        *error = QStringLiteral("%1 はすでにあります。").arg(MsgText::fileLabel(fileName));
        return false;
    }
    QString source = QStringLiteral(":/moriva/cowdata.mdb");
    if (QFile::exists(TemplateName)) {
        // A damaged template would only be copied into a damaged year.
        if (!YearFile::open(TemplateName, error, true)) return false;
        source = TemplateName;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("ひな形 %1 が見つかりません。").arg(TemplateName);
        return false;
    }
    const QByteArray bytes = in.readAll();
    QSaveFile out(fileName);
    // Unbuffered, so that a full disk shows in write() and never reaches the rename.
    if (out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        out.write(bytes) == bytes.size() && out.commit()) {
        MORIVA_CHECKPOINT("year file made");
        return true;
    }
    *error = MsgText::withDetail(
        QStringLiteral("%1 を作れません。").arg(MsgText::fileLabel(fileName)), out.errorString());
    return false;
}
