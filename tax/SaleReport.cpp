#include "SaleReport.h"

#include <algorithm>
#include <memory>

#include "Amount.h"
#include "CurrentYear.h"
#include "EraDate.h"
#include "ReportPreview.h"
#include "SaleData.h"
#include "Statement.h"

namespace SaleReport {

namespace {

using Report::rule;
using Report::text;
constexpr Qt::Alignment L = Qt::AlignLeft, R = Qt::AlignRight, C = Qt::AlignHCenter;
constexpr int Width = 9020;  // A4 portrait within one-inch margins
constexpr int Size = 160;    // 8 pt: ten columns must fit the width

const QString caption = QStringLiteral("売却明細");

// The line's columns: heading, left edge, width, alignment.
struct Column {
    const char *heading;
    int left, width;
    Qt::Alignment align;
};
const Column columns[] = {
    {"No", 0, 450, R},           {"名前", 450, 1350, L},      {"売却日", 1800, 900, R},
    {"区分", 2700, 750, C},      {"登録", 3450, 400, C},      {"売却先", 3850, 800, C},
    {"売却価額", 4650, 1100, R}, {"売却原価", 5750, 1100, R}, {"差額", 6850, 1100, R},
    {"判定", 7950, 1070, C},
};
enum { PriceColumn = 6 };

const char *const groupCaptions[] = {"免税対象飼育牛", "5 % の対象", "特例の対象外"};

QString u(const char *s) {
    return QString::fromUtf8(s);
}

QString yen(qint64 v) {
    return Amount::format(v) + QStringLiteral(" 円");
}

// Paragraph text in lines of at most ems full-width characters. A run of Latin letters,
// digits and signs ("1,500", "25-1") is never split, and closing punctuation stays with
// the character before it.
QStringList wrap(const QString &paragraph, double ems) {
    static const QString closing = QStringLiteral("、。）」：・");
    QStringList lines{QString()};
    double width = 0;
    for (qsizetype i = 0; i < paragraph.size();) {
        qsizetype j = i + 1;
        const auto latin = [&](qsizetype k) {
            return paragraph[k].unicode() < 0x80 && paragraph[k] != u' ';
        };
        if (latin(i))
            while (j < paragraph.size() && latin(j)) ++j;
        while (j < paragraph.size() && closing.contains(paragraph[j])) ++j;
        const QString token = paragraph.mid(i, j - i);
        double w = 0;
        for (QChar c : token) w += c.unicode() < 0x80 ? 0.55 : 1;
        if (width + w > ems && !lines.last().isEmpty()) {
            lines << QString();
            width = 0;
        }
        if (!(lines.last().isEmpty() && token == u" ")) {
            lines.last() += token;
            width += w;
        }
        i = j;
    }
    return lines;
}

// A paragraph as sections of one line each, so that a page may break between its lines.
void paragraph(const QString &text, int indent, const Report::Sink &out) {
    for (const QString &line : wrap(text, (Width - indent) / 180.0 - 1))
        out({270, {Report::text(indent, 30, Width - indent, 240, line, L)}});
}

Report::Section header(const QString &year) {
    Report::Section s{1000, {}};
    s.items << text(0, 0, 6000, 360, u("肉用牛の売却の明細（免税の判定）"), L, 285)
            << text(6500, 60, Width - 6500, 300, year + u("年度"), R, 200);
    for (const Column &c : columns)
        s.items << text(c.left + 45, 690, c.width - 90, 240, u(c.heading), C, Size);
    s.items << rule(0, 630, Width, 630) << rule(0, 990, Width, 990);
    for (const Column &c : columns) s.items << rule(c.left, 630, c.left, 990);
    s.items << rule(Width, 630, Width, 990);
    return s;
}

void cells(Report::Section *s, const QStringList &values) {
    for (int i = 0; i < values.size(); ++i) {
        const Column &c = columns[i];
        s->items << text(c.left + 45, 45, c.width - 90, 225, values[i], c.align, Size);
    }
}

Report::Section lineOf(const Line &l) {
    Report::Section s{300, {}};
    const SoldHead &h = l.head;
    const QString result = l.beyond ? u("1,500頭超") : Judgement::label(l.verdict.result);
    using Fields::field;
    cells(&s, {QString::number(h.No), h.Name, EraDate::format(h.O_Date, u'.'),
               field(Fields::S_Hinsyu).shortWord(int(h.S_Hinsyu)),
               field(Fields::S_Touroku).shortWord(int(h.S_Touroku)),
               field(Fields::S_Saki).shortWord(int(h.S_Saki)),
               h.S_Kingaku ? Amount::format(*h.S_Kingaku) : QString(), Amount::format(h.cost),
               h.S_Kingaku ? Amount::format(*h.S_Kingaku - h.cost) : QString(), result});
    s.items << rule(0, 300, Width, 300);
    for (const Column &c : columns) s.items << rule(c.left, 0, c.left, 300);
    s.items << rule(Width, 0, Width, 300);
    return s;
}

// The groups' totals under the lines, in the lines' own figure columns.
Report::Section totalsOf(const Summary &sum) {
    const int rows = 4, top = 240, h = 300;
    Report::Section s{top + rows * h + 120, {}};
    const int countLeft = columns[PriceColumn - 1].left;
    // Headed again: on a long register the lines' headings are pages back.
    s.items << text(countLeft + 45, top - 210, 710, 200, u("頭数"), C, Size);
    for (int i = 0; i < 3; ++i) {
        const Column &c = columns[PriceColumn + i];
        s.items << text(c.left + 45, top - 210, c.width - 90, 200, u(c.heading), C, Size);
    }
    Total all;
    for (int g = 0; g < rows; ++g) {
        const Total &t = g < 3 ? sum.totals[g] : all;
        if (g < 3) {
            all.count += t.count;
            all.price += t.price;
            all.cost += t.cost;
            all.gain += t.gain;
        }
        const int y = top + g * h;
        s.items << text(45, y + 45, countLeft - 90, 225, g < 3 ? u(groupCaptions[g]) : u("合計"), L,
                        Size)
                << text(countLeft + 45, y + 45, 710, 225, Amount::format(t.count), R, Size);
        for (int i = 0; i < 3; ++i) {
            const Column &c = columns[PriceColumn + i];
            const qint64 v = i == 0 ? t.price : i == 1 ? t.cost : t.gain;
            s.items << text(c.left + 45, y + 45, c.width - 90, 225, Amount::format(v), R, Size);
        }
        s.items << rule(0, y + h, columns[PriceColumn + 3].left, y + h);
    }
    const int right = columns[PriceColumn + 3].left;
    s.items << rule(0, top, right, top);
    for (int x : {0, countLeft, columns[PriceColumn].left, columns[PriceColumn + 1].left,
                  columns[PriceColumn + 2].left, right})
        s.items << rule(x, top, x, top + rows * h);
    return s;
}

}  // namespace

void build(const std::vector<SoldHead> &heads, std::optional<qint64> hanbai, const QString &year,
           Report::Document *doc) {
    doc->title = u("肉用牛の売却の明細（免税の判定）");
    doc->caption = caption;
    doc->year = year;
    doc->orientation = QPageLayout::Portrait;
    auto sum = std::make_shared<const Summary>(summarize(heads, hanbai));
    doc->sections = [sum, year](const Report::Sink &out, QString *) {
        out(header(year));
        for (const Line &l : sum->lines) out(lineOf(l));
        out(totalsOf(*sum));
        for (const QString &p : sum->verdict) paragraph(p, 0, out);
        bool listed = false;
        for (const Line &l : sum->lines) {
            if (l.group() != OutsideGroup) continue;
            if (!std::exchange(listed, true)) {
                out({120, {}});
                paragraph(u("次の売却は特例の対象外です（通常の課税）："), 0, out);
            }
            const SoldHead &h = l.head;
            paragraph(u("No %1　%2　%3　%4")
                          .arg(QString::number(h.No), h.Name, EraDate::format(h.O_Date, u'.'),
                               l.verdict.reason),
                      360, out);
        }
        if (!sum->checks.isEmpty()) out({120, {}});
        for (const QString &p : sum->checks) paragraph(p, 0, out);
        // The foot in one section, so that its rule never stays behind on the page before.
        Report::Section foot{180, {rule(0, 120, Width, 120)}};
        for (const QString &line :
             wrap(u("この表は判定の目安です。特例を受けるか、どちらの方法によるかは、市場・農協の"
                    "肉用牛売却証明書をもとに判断し、迷うときは税務署にお尋ねください。"),
                  Width / 180.0 - 1)) {
            foot.items << text(0, foot.height + 30, Width, 240, line, L);
            foot.height += 270;
        }
        out(foot);
        return true;
    };
}

bool buildYear(const CurrentYear &year, Report::Document *doc, int *heads, QString *error) {
    const Frm_Wk *wk = year.wk();
    if (!wk) {
        *error = CurrentYear::notOpen();
        return false;
    }
    std::vector<SoldHead> sold;
    QList<Statement::Line> lines;
    if (!SaleData::load(*wk->file(), &sold, error) || !Statement::compute(*wk, &lines, error))
        return false;
    if (heads) *heads = int(sold.size());
    build(sold, lines.value(0).amount, wk->t_Nendo, doc);  // line 1: 販売金額
    return true;
}

void preview(QWidget *parent, const std::vector<SoldHead> &heads, std::optional<qint64> hanbai,
             const QString &year) {
    Report::Document doc;
    build(heads, hanbai, year, &doc);
    ReportPreview::exec(parent, doc);
}

QString pdfName(const QString &year) {
    Report::Document doc;
    doc.caption = caption;
    return ReportPreview::pdfName(doc, year);
}

bool savePdf(const std::vector<SoldHead> &heads, std::optional<qint64> hanbai, const QString &year,
             const QString &path, QString *error) {
    Report::Document doc;
    build(heads, hanbai, year, &doc);
    return Report::savePdf(doc, path, ReportPreview::defaultPaper(), error);
}

}  // namespace SaleReport
