#include "InventoryReport.h"

#include <QDate>

#include "Amount.h"
#include "Calves.h"
#include "EraDate.h"
#include "Frm_Wk.h"
#include "YearFile.h"

namespace InventoryReport {

namespace {

using Report::rule;
using Report::text;
constexpr Qt::Alignment L = Qt::AlignLeft, R = Qt::AlignRight, C = Qt::AlignHCenter;
constexpr int Width = 12480;

// Report header (870 high): heading lines at their left and top.
struct Heading {
    int left, top;
    const char *text;
};
const Heading headings[] = {
    {225, 315, "No"},
    {1185, 315, "名前"},
    {2310, 180, "導入年月日"},
    {2580, 405, "又は"},
    {2310, 645, "種付年月日"},
    {3615, 165, "素畜費"},
    {3600, 390, "又は（A）"},
    {3615, 570, "種付料"},
    {4665, 135, "期首棚卸高"},
    {4875, 405, "（B）"},
    {6855, 120, "肥育期間"},
    {9390, 270, "肥育月数"},
    {9540, 510, "（C）"},
    {10605, 165, "（G）"},
    {10365, 345, "肥育金額"},
    {10410, 585, "（C×F）"},
    {11385, 150, "期末棚卸高"},
    {11670, 375, "（H）"},
    {11310, 615, "（A又はB）＋G"},
};
const int columnRules[] = {0, 780, 2235, 3390, 4425, 5580, 9345, 10125, 11280, 12480};

// The twelve month columns of 肥育期間: where each begins, where its mark and its
// heading stand, and the heading's width.
struct Month {
    int from, field, heading, headingWidth;
};
const Month months[12] = {
    {5580, 5625, 5685, 165}, {5895, 5925, 5985, 165}, {6210, 6255, 6285, 165},
    {6525, 6540, 6600, 165}, {6840, 6885, 6915, 165}, {7155, 7185, 7245, 165},
    {7470, 7485, 7575, 165}, {7785, 7815, 7905, 165}, {8100, 8130, 8220, 165},
    {8415, 8445, 8460, 240}, {8730, 8790, 8790, 225}, {9045, 9075, 9105, 240},
};

// Detail line (375 high), fields 225 high.
enum class Format { Number, Text, Date };
struct Field {
    Fields::Register column;
    int left, top, width;
    Qt::Alignment align;
    Format format;
};
const Field fields[] = {
    {Fields::No, 90, 45, 645, R, Format::Number},
    {Fields::Name, 810, 45, 1395, L, Format::Text},
    {Fields::I_Date, 2355, 45, 915, R, Format::Date},
    {Fields::I_Kingaku, 3375, 45, 1035, R, Format::Number},
    {Fields::Kisyu, 4485, 45, 1035, R, Format::Number},
    {Fields::Hiikutuki, 9435, 120, 615, R, Format::Number},
    {Fields::HiikuKingaku, 10125, 75, 1140, R, Format::Number},
    {Fields::Kimatu, 11340, 75, 1095, R, Format::Number},
};

constexpr int FieldCount = int(std::size(fields));

// Report footer (1800 high). The totals line: a caption, or the sum of a column.
struct Total {
    int left, top, width, height;
    Qt::Alignment align;
    const char *caption;  // nullptr: the sum of column
    Fields::Register column;
};
constexpr Fields::Register Caption = Fields::RegisterCount;
const Total totals[] = {
    {60, 45, 3330, 240, C, "合計", Caption},
    {3420, 90, 975, 195, R, nullptr, Fields::I_Kingaku},
    {4440, 90, 1080, 195, R, nullptr, Fields::Kisyu},
    {5640, 60, 3135, 225, C, "肥育月数（D）", Caption},
    {9480, 45, 585, 240, R, nullptr, Fields::Hiikutuki},
    {10170, 45, 1110, 240, R, nullptr, Fields::HiikuKingaku},
    {11310, 45, 1110, 240, R, nullptr, Fields::Kimatu},
};
const int totalRules[] = {0, 3390, 4425, 5580, 9345, 10125, 11280, 12480};

// The fattening cost box: caption and work total per row.
struct CostRow {
    int top;
    const char *caption;
    QString Frm_Wk::*figure;
};
const CostRow costRows[] = {
    {615, "年間経費", &Frm_Wk::t_Keihi},
    {885, "種付・素畜費－", &Frm_Wk::t_Mototiku},
    {1170, "販売手数料　－", &Frm_Wk::t_Tesuu},
    {1440, "年度肥育費（E）", &Frm_Wk::t_NendoHiiku},
};
const int costBoxRules[] = {555, 840, 1110, 1380, 1695};

QString u(const char *s) {
    return QString::fromUtf8(s);
}

QString formatted(const QVariant &v, Format format) {
    if (v.isNull()) return {};
    switch (format) {
        case Format::Number:
            return Amount::format(v.toLongLong());
        case Format::Date:
            return EraDate::format(QDate::fromString(v.toString(), Qt::ISODate), QLatin1Char('.'));
        case Format::Text:
            break;
    }
    return v.toString();
}

Report::Section header() {
    Report::Section s{870, {}};
    for (const Heading &h : headings) {
        const int right = *std::upper_bound(std::begin(columnRules), std::end(columnRules), h.left);
        s.items << text(h.left, h.top, right - h.left, 240, u(h.text));
    }
    for (int m = 0; m < 12; ++m)
        s.items << text(months[m].heading, 555, months[m].headingWidth, 240, QString::number(m + 1),
                        C);
    s.items << rule(0, 75, Width, 75) << rule(0, 855, Width, 855) << rule(5610, 420, 9345, 420);
    for (int x : columnRules) s.items << rule(x, 75, x, 855);
    for (int m = 1; m < 12; ++m) s.items << rule(months[m].from, 420, months[m].from, 855);
    return s;
}

// What a line shows of a calf: the fields first, then F1..F12.
const Calves::Columns &calfColumns() {
    static const Calves::Columns columns = [] {
        Calves::Columns list;
        for (const Field &f : fields) list << &Fields::field(f.column);
        for (int m = 0; m < 12; ++m) list << &Fields::field(Fields::Register(Fields::F1 + m));
        return list;
    }();
    return columns;
}

int columnOf(Fields::Register field) {
    for (int c = 0; c < FieldCount; ++c)
        if (fields[c].column == field) return c;
    return -1;
}

void detail(const QVariantList &calf, Report::Section *s) {
    s->height = 375;
    s->items.clear();
    for (int c = 0; c < FieldCount; ++c) {
        const Field &f = fields[c];
        s->items << text(f.left, f.top, f.width, 225, formatted(calf.value(c), f.format), f.align);
    }
    for (int m = 0; m < 12; ++m)
        s->items << text(months[m].field, 60, 270, 225, calf.value(FieldCount + m).toString(), C);
    s->items << rule(0, 360, Width, 360);
    for (int x : columnRules) s->items << rule(x, 0, x, 375);
    for (int m = 1; m < 12; ++m) s->items << rule(months[m].from, 0, months[m].from, 375);
}

// The five work totals as the form prints them, "#,##0"; false with a message naming the
// first that has no value, which the form must not print as an empty box.
bool figures(const Frm_Wk &wk, QStringList *out, QString *error) {
    for (QString Frm_Wk::*f : {&Frm_Wk::t_Keihi, &Frm_Wk::t_Mototiku, &Frm_Wk::t_Tesuu,
                               &Frm_Wk::t_NendoHiiku, &Frm_Wk::t_TukiHiiku}) {
        const auto n = wk.value(f);
        if (!n) {
            *error = Frm_Wk::cannotCompute(QStringLiteral("「%1」").arg(Frm_Wk::caption(f)),
                                           QStringLiteral("棚卸表を作れません"));
            return false;
        }
        *out << Amount::format(*n);
    }
    return true;
}

// sums: each field's column total, an empty value counting as 0.
Report::Section footer(const qint64 *sums, const QStringList &figure) {
    Report::Section s{1800, {}};
    for (const Total &t : totals) {
        const QString value = t.caption ? u(t.caption) : Amount::format(sums[columnOf(t.column)]);
        s.items << text(t.left, t.top, t.width, t.height, value, t.align);
    }
    s.items << rule(15, 315, Width, 315);
    for (int x : totalRules) s.items << rule(x, 0, x, 315);

    for (int i = 0; i < 4; ++i) {
        s.items << text(375, costRows[i].top, 1410, 240, u(costRows[i].caption))
                << text(1740, costRows[i].top, 1095, 240, figure[i], R);
    }
    for (int y : costBoxRules) s.items << rule(315, y, 2970, y);
    for (int x : {315, 1740, 2970}) s.items << rule(x, 555, x, 1695);

    s.items << text(5340, 540, 3150, 240, QStringLiteral("１頭１ヶ月当たりの肥育金額（E÷D）　F"))
            << text(8430, 555, 795, 240, figure[4], R);
    for (int y : {495, 780}) s.items << rule(5310, y, 9240, y);
    for (int x : {5310, 8085, 8445, 9240}) s.items << rule(x, 495, x, 780);
    return s;
}

}  // namespace

bool build(const std::shared_ptr<YearFile> &file, const Frm_Wk &wk, Report::Document *doc,
           QString *error) {
    // Refused now, so that a register that cannot be read, or a figure that has no
    // value, opens no preview and writes no file.
    QStringList figure;
    if (!figures(wk, &figure, error)) return false;
    {
        if (!Calves::readable(*file, calfColumns(), error)) return false;
    }
    doc->title = QStringLiteral("棚卸表");
    doc->caption = QStringLiteral("子牛棚卸表");
    doc->year = wk.t_Nendo;
    doc->orientation = QPageLayout::Landscape;
    doc->sections = [file, figure](const Report::Sink &out, QString *error) {
        Report::Section line;  // one calf's, refilled for the next
        qint64 sums[FieldCount] = {};
        bool started = false;
        const bool read = Calves::each(
            *file, calfColumns(),
            [&](const QVariantList &calf) {
                if (!started) out(header());
                started = true;
                detail(calf, &line);
                for (int c = 0; c < FieldCount; ++c)
                    if (fields[c].format == Format::Number) sums[c] += calf[c].toLongLong();
                out(line);
            },
            error);
        if (!read) return false;
        if (!started) out(header());
        out(footer(sums, figure));
        return true;
    };
    return true;
}

}  // namespace InventoryReport
