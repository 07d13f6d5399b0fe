#include "Binding.h"

#include <QDate>
#include <QTextBoundaryFinder>

#include "Amount.h"
#include "EraDate.h"

QString Binding::display(const QVariant &stored, Kind kind, QChar dateSep) {
    if (stored.isNull()) return {};
    bool ok = false;
    switch (kind) {
        case Kind::Amount:
        case Kind::Price: {
            const qint64 n = stored.toLongLong(&ok);
            return ok ? Amount::format(n) : stored.toString();
        }
        case Kind::Date: {
            const QDate d = QDate::fromString(stored.toString(), Qt::ISODate);
            return d.isValid() ? EraDate::format(d, dateSep) : stored.toString();
        }
        case Kind::Text:
            // A name stored with a line break or a direction override by an older version
            // shows as it is now stored, in the grid as in the editor.
            return plainText(stored.toString());
        case Kind::Count:
            break;
    }
    return stored.toString();
}

QString Binding::oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : text) {
        switch (c.unicode()) {
            case u'\r':
            case u'\n':
            case u'\t':
            case u'\v':
            case u'\f':
            case 0x85:  // next line
            case QChar::LineSeparator:
            case QChar::ParagraphSeparator:
                c = u' ';
        }
    }
    return text;
}

namespace {

// Characters that change how a text reads without being seen; the joiners stay, as emoji
// and some scripts are built with them.
bool hides(char32_t u) {
    if (u == 0x200C || u == 0x200D) return false;
    const QChar::Category c = QChar::category(u);
    return c == QChar::Other_Format || c == QChar::Other_Control;
}

// Characters as SQLite's length() counts them.
qsizetype characters(const QString &plain) {
    qsizetype n = 0;
    for (const QChar c : plain) n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

}  // namespace

QString Binding::plainText(const QString &text) {
    const QString line = oneLine(text);
    QString plain;
    plain.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) {
            if (!hides(QChar::surrogateToUcs4(c, line[i + 1]))) plain.append(c).append(line[i + 1]);
            ++i;
        } else if (!c.isSurrogate() && !hides(c.unicode())) {
            plain.append(c);
        }
    }
    return plain;
}

qsizetype Binding::fitting(const QString &typed, int maxChars) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, typed);
    qsizetype fits = 0, used = 0;
    for (qsizetype at = graphemes.toNextBoundary(); at > 0; at = graphemes.toNextBoundary()) {
        used += characters(plainText(typed.mid(fits, at - fits)));
        if (used > maxChars) break;
        fits = at;
    }
    return fits;
}

QString Binding::excerpt(const QString &text, int maxChars) {
    const QString plain = plainText(text).trimmed();
    const qsizetype fits = fitting(plain, maxChars);
    return fits < plain.size() ? plain.left(fits) + QChar(0x2026) : plain;
}

std::optional<QVariant> Binding::toStored(const QString &typed, Kind kind, const QString &caption,
                                          QString *error) {
    if (kind == Kind::Text) {
        const QString text = plainText(typed);
        if (const qsizetype n = characters(text); n > MaxText) {
            *error = QStringLiteral("「%1」は %2 文字までにしてください（%3 文字あります）。")
                         .arg(caption)
                         .arg(MaxText)
                         .arg(n);
            return std::nullopt;
        }
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    const QString &text = typed;
    if (text.trimmed().isEmpty()) return QVariant();
    switch (kind) {
        case Kind::Text:
            break;
        case Kind::Count:
            if (const auto n = Amount::parseCount(text)) return QVariant(int(*n));
            *error = QStringLiteral("「%1」には -32,768 から 32,767 までの整数を入力してください。")
                         .arg(caption);
            return std::nullopt;
        case Kind::Amount:
            if (const auto n = Amount::parse(text)) return QVariant(*n);
            *error = QStringLiteral(
                         "「%1」には -2,147,483,648 から 2,147,483,647 "
                         "までの金額を数字で入力してください。")
                         .arg(caption);
            return std::nullopt;
        case Kind::Price:
            // A price of 0 or below is a typing slip, and would count as one under every limit.
            if (const auto n = Amount::parse(text); n && *n > 0) return QVariant(*n);
            *error = QStringLiteral(
                         "「%1」には 1 から 2,147,483,647 までの金額を数字で入力してください。")
                         .arg(caption);
            return std::nullopt;
        case Kind::Date: {
            QString outsideEra;
            if (const auto d = EraDate::parse(text, &outsideEra))
                return QVariant(d->toString(Qt::ISODate));
            *error = outsideEra.isEmpty()
                         ? QStringLiteral(
                               "「%1」は正しい日付で入力してください（例：H13/4/1、2001/4/1）。")
                               .arg(caption)
                         : QStringLiteral("「%1」：%2").arg(caption, outsideEra);
            return std::nullopt;
        }
    }
    return std::nullopt;
}
