#include "SaleReport.h"

#include <algorithm>
#include <memory>

#include "Amount.h"
#include "Binding.h"
#include "Clock.h"
#include "CurrentYear.h"
#include "EraDate.h"
#include "ReportPreview.h"
#include "SaleData.h"
#include "SaleTerms.h"
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
    {"収入金額", 4650, 1100, R}, {"売却原価", 5750, 1100, R}, {"差額", 6850, 1100, R},
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

// The year's basis: how its prices are taken and the period the rule was taken to cover.
QString basisOf(const Inputs &in) {
    return u("経理方式：%1　　特例の適用期限：%2%3")
        .arg(Fields::field(Fields::Tokurei::Keiri).word(int(in.keiri)),
             EraDate::written(in.lastDate),
             in.lastDateSet ? u("（手入力。プログラムの期限は%1）")
                                  .arg(EraDate::written(Judgement::ownLastDate()))
                            : QString());
}

Report::Section header(const QString &year, const Inputs &in) {
    const int top = 330;
    Report::Section s{1000 + top, {}};
    s.items << text(0, 0, 6000, 360, u("肉用牛の売却の明細（免税の判定）"), L, 285)
            << text(6500, 60, Width - 6500, 300, year + u("年度"), R, 200)
            << text(0, 420, Width, 240, basisOf(in), L, Size);
    for (const Column &c : columns)
        s.items << text(c.left + 45, top + 690, c.width - 90, 240, u(c.heading), C, Size);
    s.items << rule(0, top + 630, Width, top + 630) << rule(0, top + 990, Width, top + 990);
    for (const Column &c : columns) s.items << rule(c.left, top + 630, c.left, top + 990);
    s.items << rule(Width, top + 630, Width, top + 990);
    return s;
}

void cells(Report::Section *s, const QStringList &values) {
    for (int i = 0; i < values.size(); ++i) {
        const Column &c = columns[i];
        s->items << text(c.left + 45, 45, c.width - 90, 225, values[i], c.align, Size);
    }
}

// What the certificate says of the head beyond the first line: its amounts, its number and
// who sold it.
QString detailOf(const SoldHead &h) {
    using namespace Fields;
    QStringList parts;
    if (h.S_Kingaku) parts << u("価額 %1").arg(Amount::format(*h.S_Kingaku));
    if (h.S_Zei) parts << u("%1 %2").arg(field(S_Zei).caption, Amount::format(h.S_Zei));
    if (h.S_Hokyu) parts << u("%1 %2").arg(field(S_Hokyu).caption, Amount::format(h.S_Hokyu));
    if (!h.S_Kotai.isEmpty()) parts << u("識別 %1").arg(Binding::plainText(h.S_Kotai));
    if (!h.S_Aite.isEmpty()) parts << Binding::plainText(h.S_Aite);
    return parts.join(u("　"));
}

// Two lines a head: the judgement's figures, then the certificate's details and the reason.
Report::Section lineOf(const Line &l) {
    constexpr int H = 300;
    Report::Section s{2 * H, {}};
    const SoldHead &h = l.head;
    const QString result = l.beyond ? u("1,500頭超") : Judgement::label(l.verdict.result);
    const bool priced = l.income > 0 || h.S_Kingaku;
    using Fields::field;
    cells(&s, {QString::number(h.No), h.Name, EraDate::format(h.O_Date, u'.'),
               field(Fields::S_Hinsyu).shortWord(int(h.S_Hinsyu)),
               field(Fields::S_Touroku).shortWord(int(h.S_Touroku)),
               field(Fields::S_Uriba).shortWord(int(h.S_Uriba)),
               priced ? Amount::format(l.income) : QString(), Amount::format(h.cost),
               priced ? Amount::format(l.income - h.cost) : QString(), result});
    const int reasonLeft = columns[PriceColumn + 1].left;
    s.items << text(columns[1].left + 45, H + 45, reasonLeft - columns[1].left - 90, 225,
                    detailOf(h), L, Size)
            << text(reasonLeft + 45, H + 45, Width - reasonLeft - 90, 225,
                    l.beyond ? u("%1（1,500頭を超える部分）").arg(l.verdict.reason)
                             : l.verdict.reason,
                    Qt::AlignRight, Size);
    s.items << rule(0, 2 * H, Width, 2 * H);
    for (const Column &c : columns) s.items << rule(c.left, 0, c.left, H);
    for (int x : {0, columns[1].left, reasonLeft, Width}) s.items << rule(x, 0, x, 2 * H);
    s.items << rule(columns[1].left, H, Width, H);
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

// A table of figures in one section: a caption column, then amounts; a null cell is left
// empty. widths: the caption's, then each amount's.
struct Row {
    QString caption;
    QList<std::optional<qint64>> amounts;
    QString note;  // in place of the amounts, when there are none
};
Report::Section table(const QStringList &headings, const QList<int> &widths,
                      const QList<Row> &rows) {
    constexpr int H = 330;
    Report::Section s{H * int(rows.size() + 1) + 120, {}};
    QList<int> lefts{0};
    for (int w : widths) lefts << lefts.last() + w;
    const int right = lefts.last();
    for (int c = 0; c < headings.size(); ++c)
        s.items << text(lefts[c] + 45, 60, widths[c] - 90, 225, headings[c], C, Size);
    for (int r = 0; r <= rows.size(); ++r) s.items << rule(0, r * H, right, r * H);
    s.items << rule(0, H * int(rows.size() + 1), right, H * int(rows.size() + 1));
    for (int r = 0; r < rows.size(); ++r) {
        const int y = (r + 1) * H;
        const Row &row = rows[r];
        s.items << text(45, y + 60, widths[0] - 90, 225, row.caption, L, Size);
        if (!row.note.isEmpty())
            s.items << text(lefts[1] + 45, y + 60, right - lefts[1] - 90, 225, row.note, L, Size);
        for (int c = 0; c < row.amounts.size(); ++c)
            if (row.amounts[c])
                s.items << text(lefts[c + 1] + 45, y + 60, widths[c + 1] - 90, 225,
                                Amount::format(*row.amounts[c]), R, Size);
    }
    // A row with a note has no amount columns to rule.
    for (int r = 0; r <= rows.size(); ++r)
        for (int c = 0; c <= widths.size(); ++c)
            if (r == 0 || c <= 1 || c == widths.size() || rows[r - 1].note.isEmpty())
                s.items << rule(lefts[c], r * H, lefts[c], (r + 1) * H);
    return s;
}

// 「税額計算書に写す金額」: what 肉用牛の売却による所得の税額計算書 takes, in the form's own
// words, and how the groups add up to the detail statement's 所得.
void taxForm(const Summary &sum, const QString &year, const Report::Sink &out) {
    Report::Section top{720, {}, true};
    top.items << text(0, 0, 6500, 360, u("税額計算書に写す金額"), L, 285)
              << text(6500, 60, Width - 6500, 300, year + u("年度"), R, 200);
    out(top);
    paragraph(u("「肉用牛の売却による所得の税額計算書（兼確定申告書付表）」に写す金額です。欄の"
                "名前は国税庁の様式のことばです。"),
              0, out);
    if (!sum.split) {
        paragraph(
            u("明細書の所得が計算できないため、この金額は出せません。集計を確かめてください。"), 0,
            out);
        return;
    }
    const Split &sp = *sum.split;
    const bool second = sum.totals[FivePercentGroup].count > 0;
    out({120, {}});
    if (second) {
        paragraph(u("申告書に記載する農業所得"), 0, out);
        out(table({u("欄"), u("収入金額"), u("（うち内書き）"), u("必要経費"), u("所得金額")},
                  {3020, 1500, 1500, 1500, 1500},
                  {{u("農業所得"), {}, u("決算書から写す金額です（この表では計算しません）")},
                   {u("農業所得のうち特定の肉用牛の売却による所得"),
                    {sp.specific.income, sum.base, sp.specific.costs, sp.specific.gain()},
                    {}}}));
        paragraph(u("「農業所得」の欄は、収支内訳書（青色申告決算書）の農業所得を写します。その下の"
                    "差し引きの欄は、農業所得から特定の肉用牛の売却による所得を引いた金額です。"),
                  0, out);
        paragraph(u("内書きの金額 %1 円 × 5 % ＝ %2 円（1円未満の端数は切り捨て）。これが、特定の"
                    "肉用牛の売却による所得に対する所得税の額です。")
                      .arg(Amount::format(sum.base), Amount::format(sum.tax)),
                  0, out);
    } else {
        paragraph(u("この年の特定の肉用牛の売却は、すべて第1項（免税）で済みます。税額計算書は、"
                    "第2項（5 % の課税）を選ぶときに付けるものです。免除される所得は %1 円です。")
                      .arg(Amount::format(sp.groups[ExemptGroup].gain())),
                  0, out);
        paragraph(u("第1項を受けるには、確定申告書の「特例適用条文等」の欄に「措法25条1項」と書き、"
                    "市場・農協の肉用牛売却証明書を添付します。"),
                  0, out);
    }
    out({120, {}});
    paragraph(u("明細書の所得との突き合わせ"), 0, out);
    QList<Row> rows;
    Part all;
    for (int g = 0; g < 3; ++g) {
        const Part &p = sp.groups[g];
        rows << Row{u(groupCaptions[g]), {sum.totals[g].count, p.income, p.costs, p.gain()}, {}};
    }
    rows << Row{u("売却牛に当たらない分"),
                {std::nullopt, sp.rest.income, sp.rest.costs, sp.rest.gain()},
                {}};
    for (const Part &p : {sp.groups[0], sp.groups[1], sp.groups[2], sp.rest}) {
        all.income += p.income;
        all.costs += p.costs;
    }
    rows << Row{u("合計"), {std::nullopt, all.income, all.costs, all.gain()}, {}};
    out(table({u("区分"), u("頭数"), u("収入金額"), u("必要経費"), u("所得金額")},
              {3020, 1000, 1667, 1667, 1666}, rows));
    paragraph(u("合計の所得金額は、免税所得（肉用牛）の明細書の差引金額（5－27） %1 円と同じです。")
                  .arg(Amount::format(sp.statement)),
              0, out);
    paragraph(
        u("必要経費は、牛ごとの売却原価に、売却原価に入らない経費（販売手数料、肥育費に入らない"
          "飼料費、死亡した牛の費用など）を収入金額の割合で配ったものです。配った端数と、売却した"
          "牛に当たらない収入（雑収入、販売金額と売却価額の差）は「売却牛に当たらない分」に"
          "入れています。"),
        0, out);
}

// What the year's file says beside its sold heads: its settings and its statement's
// figures. False with a message.
bool inputsOf(const Frm_Wk *wk, const std::vector<SoldHead> &sold, Inputs *in, QString *error) {
    QList<Statement::Line> lines;
    SaleTerms::Terms terms;
    if (!Statement::compute(*wk, &lines, error) || !SaleTerms::load(*wk->file(), &terms, error))
        return false;
    *in = {};
    in->keiri = terms.keiri;
    if (terms.kigen.isValid()) {
        in->lastDate = terms.kigen;
        in->lastDateSet = terms.kigen != Judgement::ownLastDate();
    }
    // The file's name gives the era year's digits only; its dates say the era.
    QDate latest;
    for (const SoldHead &h : sold) latest = std::max(latest, h.O_Date);
    if (const auto era = EraDate::yearOfDigits(wk->t_Nendo.toInt(), latest, Clock::today()))
        in->western = era->western;
    const Statement::Figures f = Statement::figures(wk->totals());
    in->hanbai = lines.value(0).amount;  // line 1: 販売金額
    in->income = f.kei1;
    in->costs = f.kei3;
    return true;
}

}  // namespace

void build(const std::vector<SoldHead> &heads, const Inputs &inputs, const QString &year,
           Report::Document *doc) {
    doc->title = u("肉用牛の売却の明細（免税の判定）");
    doc->caption = caption;
    doc->year = year;
    doc->orientation = QPageLayout::Portrait;
    auto sum = std::make_shared<const Summary>(summarize(heads, inputs));
    doc->sections = [sum, year, inputs](const Report::Sink &out, QString *) {
        out(header(year, inputs));
        for (const Line &l : sum->lines) out(lineOf(l));
        out(totalsOf(*sum));
        for (const QString &p : sum->verdict) paragraph(p, 0, out);
        if (!sum->incomplete.isEmpty()) {
            out({120, {}});
            paragraph(u("入力が足りない売却："), 0, out);
            for (const QString &p : sum->incomplete) paragraph(p, 360, out);
        }
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
        taxForm(*sum, year, out);
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
    Inputs in;
    if (!SaleData::load(*wk->file(), &sold, error) || !inputsOf(wk, sold, &in, error)) return false;
    if (heads) *heads = int(sold.size());
    build(sold, in, wk->t_Nendo, doc);
    return true;
}

QString pdfName(const QString &year) {
    Report::Document doc;
    doc.caption = caption;
    return ReportPreview::pdfName(doc, year);
}

bool savePdf(const std::vector<SoldHead> &heads, const Inputs &inputs, const QString &year,
             const QString &path, QString *error) {
    Report::Document doc;
    build(heads, inputs, year, &doc);
    return Report::savePdf(doc, path, ReportPreview::defaultPaper(), error);
}

}  // namespace SaleReport
