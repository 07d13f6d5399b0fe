#include "Binding.h"

#include <QDate>
#include <QLineEdit>

#include "Amount.h"
#include "DataSource.h"
#include "EraDate.h"

QString Binding::display(const QVariant &stored, Kind kind, QChar dateSep) {
    if (stored.isNull()) return {};
    bool ok = false;
    switch (kind) {
        case Kind::Amount: {
            const qint64 n = stored.toLongLong(&ok);
            return ok ? Amount::format(n) : stored.toString();
        }
        case Kind::Date: {
            const QDate d = QDate::fromString(stored.toString(), Qt::ISODate);
            return d.isValid() ? EraDate::format(d, dateSep) : stored.toString();
        }
        case Kind::Text:
            // A name stored with a line break by an older version shows on one line,
            // as it prints, in the grid as in the editor.
            return oneLine(stored.toString());
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

std::optional<QVariant> Binding::toStored(const QString &typed, Kind kind, const QString &caption,
                                          QString *error) {
    const QString text = kind == Kind::Text ? oneLine(typed) : typed;
    if (text.trimmed().isEmpty())
        return kind == Kind::Text && !text.isEmpty() ? QVariant(text) : QVariant();
    switch (kind) {
        case Kind::Text:
            return QVariant(text);
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

void Binding::fill(const QList<Field> &fields, const DataSource &source) {
    for (const Field &f : fields) f.edit->setText(display(source.value(f.column), f.kind));
}

Binding::Collected Binding::collect(const QList<Field> &fields) {
    Collected result;
    for (const Field &f : fields) {
        const auto value = toStored(f.edit->text(), f.kind, f.caption, &result.error);
        if (!value) {
            result.bad = f.edit;
            result.values.clear();
            return result;
        }
        result.values.insert(f.column, *value);
    }
    return result;
}
