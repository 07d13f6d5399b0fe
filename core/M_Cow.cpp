#include "M_Cow.h"

QString M_Cow::yearFileName(const QString &yearText) {
    return QStringLiteral("cowdata") + yearText + QStringLiteral(".mdb");
}

QString M_Cow::yearOfFileName(const QString &fileName) {
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot >= 2 ? fileName.mid(dot - 2, 2) : QString();
}

QString M_Cow::yearText(int year) {
    return year >= 0 && year <= 99 ? QStringLiteral("%1").arg(year, 2, 10, QLatin1Char('0'))
                                   : QString();
}
