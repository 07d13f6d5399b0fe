#include "MsgText.h"

#include <QDir>
#include <QtGlobal>

namespace {
const QString detailMark = QStringLiteral("\n詳細：");
// A plain pointer, set before main() by static initialisation, so there is no order to fear.
void (*currentTeller)(const QString &) = nullptr;
}  // namespace

QString MsgText::withDetail(const QString &text, const QString &detail) {
    const QString d = detail.trimmed();
    return d.isEmpty() ? text : text + detailMark + d;
}

QString MsgText::beforeDetail(const QString &message, const QString &line) {
    const qsizetype at = message.lastIndexOf(detailMark);
    if (at < 0) return message + QLatin1Char('\n') + line;
    return message.left(at) + QLatin1Char('\n') + line + message.mid(at);
}

QString MsgText::fileLabel(const QString &path) {
    // Written as the farmer's system writes paths: C:\Users\… on Windows.
    const QString name = QDir::toNativeSeparators(path);
    constexpr int keep = 30;  // characters kept at each end
    if (name.size() <= 2 * keep + 1) return name;
    return name.left(keep) + QChar(0x2026) + name.right(keep);
}

void MsgText::tell(const QString &text) {
    if (currentTeller)
        currentTeller(text);
    else
        qWarning("%s", qPrintable(text));
}

void MsgText::setTeller(void (*teller)(const QString &)) {
    currentTeller = teller;
}
