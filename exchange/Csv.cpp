#include "Csv.h"

#include <csv.h>
#include <QStringDecoder>
#include <climits>
#include <memory>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QByteArray Csv::bom() {
    return QByteArrayLiteral("\xEF\xBB\xBF");
}

QByteArray Csv::line(const QStringList &cells) {
    QByteArray out;
    for (int i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        const QByteArray cell = cells[i].toUtf8();
        const bool quote = cell.contains(',') || cell.contains('"') || cell.contains('\n') ||
                           cell.contains('\r') ||
                           (!cell.isEmpty() && (cell.front() == ' ' || cell.back() == ' '));
        if (!quote) {
            out += cell;
            continue;
        }
        // Every quote doubled plus the two around it.
        QByteArray quoted(cell.size() * 2 + 2, Qt::Uninitialized);
        quoted.resize(qsizetype(
            csv_write(quoted.data(), quoted.size(), cell.constData(), size_t(cell.size()))));
        out += quoted;
    }
    return out + "\r\n";
}

namespace {

bool formulaStart(QChar c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

// What readText() takes a ' from.
bool escaped(const QString &cell) {
    return cell.size() > 1 && cell[0] == u'\'' && (formulaStart(cell[1]) || cell[1] == u'\'');
}

}  // namespace

QString Csv::textCell(const QString &text) {
    if ((!text.isEmpty() && formulaStart(text[0])) || escaped(text)) return u'\'' + text;
    return text;
}

QString Csv::readText(const QString &cell) {
    return escaped(cell) ? cell.mid(1) : cell;
}

namespace {

// The whole text in one encoding, or nothing when a byte does not belong to it.
std::optional<QString> decodeAs(const char *name, const QByteArray &bytes) {
    QStringDecoder decoder(name);
    if (decoder.isValid()) {
        QString text = decoder.decode(bytes);
        if (decoder.hasError()) return std::nullopt;
        return text;
    }
#ifdef Q_OS_WIN
    // Qt reads other encodings than UTF-8 through ICU only, and the Windows build has
    // none: Shift_JIS is the system's code page 932 there, read just as strictly.
    if (qstrcmp(name, "Shift_JIS") == 0 && bytes.size() < INT_MAX) {
        const int size = int(bytes.size());
        const int length =
            MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.constData(), size, nullptr, 0);
        if (length <= 0) return std::nullopt;
        QString text(length, Qt::Uninitialized);
        if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.constData(), size,
                                reinterpret_cast<wchar_t *>(text.data()), length) != length)
            return std::nullopt;
        return text;
    }
#endif
    return std::nullopt;
}

}  // namespace

bool Csv::decode(const QByteArray &bytes, QString *text, QString *encoding, QString *error) {
    QByteArray body = bytes;
    const bool marked = body.startsWith(bom());
    if (marked) body.remove(0, bom().size());
    if (body.trimmed().isEmpty()) {
        *error = QStringLiteral("ファイルが空です。");
        return false;
    }
    // Spreadsheet workbooks, pictures and UTF-16 text all hold NUL bytes; CSV text never does.
    if (body.contains('\0')) {
        *error = QStringLiteral(
            "CSV のテキストファイルではありません。\n"
            "表計算ソフトで「CSV "
            "UTF-8（コンマ区切り）」か「CSV（コンマ区切り）」の形式で保存してください。");
        return false;
    }
    const QList<const char *> candidates =
        marked ? QList<const char *>{"UTF-8"} : QList<const char *>{"UTF-8", "Shift_JIS"};
    for (const char *name : candidates) {
        std::optional<QString> decoded = decodeAs(name, body);
        if (!decoded) continue;
        for (QChar c : *decoded) {
            if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\r') &&
                c != QLatin1Char('\n')) {
                *error =
                    QStringLiteral("CSV のテキストファイルではありません（制御文字があります）。");
                return false;
            }
        }
        *text = std::move(*decoded);
        *encoding = QString::fromLatin1(name);
        return true;
    }
    *error = marked ? QStringLiteral("UTF-8 として読めない文字があります。")
                    : QStringLiteral(
                          "文字コードが読み取れません。\n"
                          "UTF-8 か Shift_JIS で保存したファイルを選んでください。");
    return false;
}

namespace {

struct ParseState {
    QList<Csv::Record> *records;
    QStringList cells;
    int start = 0;
    bool inRecord = false;
};

void onField(void *s, size_t len, void *data) {
    auto *st = static_cast<ParseState *>(data);
    st->cells << QString::fromUtf8(static_cast<const char *>(s), qsizetype(len));
}

void onRecord(int, void *data) {
    auto *st = static_cast<ParseState *>(data);
    bool blank = true;
    for (const QString &c : st->cells) blank = blank && c.trimmed().isEmpty();
    if (!blank) st->records->append({st->start, std::move(st->cells)});
    st->cells = {};
    st->inRecord = false;
}

}  // namespace

bool Csv::parse(const QString &text, QList<Record> *records, QString *error) {
    const QByteArray bytes = text.toUtf8();
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        *error = QStringLiteral("CSV を読むためのメモリが足りません。");
        return false;
    }
    std::unique_ptr<csv_parser, void (*)(csv_parser *)> guard(&parser, csv_free);
    ParseState st{records};
    records->clear();

    // Fed one physical line at a time, so that each record knows the line it starts on
    // (a quoted cell may run over several lines; libcsv itself counts nothing).
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    int line = 1;
    for (qsizetype at = 0; at < size; ++line) {
        qsizetype end = at;
        while (end < size && data[end] != '\n' &&
               !(data[end] == '\r' && (end + 1 == size || data[end + 1] != '\n')))
            ++end;
        if (end < size) ++end;
        if (!st.inRecord) {
            bool blank = true;
            for (qsizetype i = at; i < end && blank; ++i)
                blank = data[i] == '\r' || data[i] == '\n';
            if (blank) {
                at = end;
                continue;
            }
            st.inRecord = true;
            st.start = line;
        }
        const size_t length = size_t(end - at);
        if (csv_parse(&parser, data + at, length, onField, onRecord, &st) != length) {
            *error = QStringLiteral("%1 行目の引用符（\"）の使い方が正しくありません。").arg(line);
            return false;
        }
        at = end;
    }
    if (csv_fini(&parser, onField, onRecord, &st) != 0) {
        *error = QStringLiteral("%1 行目で始まる引用符（\"）が閉じられていません。").arg(st.start);
        return false;
    }
    return true;
}
