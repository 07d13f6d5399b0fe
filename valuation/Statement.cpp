#include "Statement.h"

#include <algorithm>

#include "DataSource.h"
#include "Frm_Wk.h"

namespace Statement {

namespace {

using Figure = std::optional<qint64>;

// Sums and differences; nullopt stays nullopt, overflow gives nullopt.
Figure plus(Figure a, Figure b) {
    qint64 r;
    if (!a || !b || __builtin_add_overflow(*a, *b, &r)) return std::nullopt;
    return r;
}
Figure minus(Figure a, Figure b) {
    qint64 r;
    if (!a || !b || __builtin_sub_overflow(*a, *b, &r)) return std::nullopt;
    return r;
}

// A stored amount is one record's, held in 32 bits by the schema.
Figure stored(const QVariantMap &row, const char *column) {
    const QVariant v = row.value(QString::fromLatin1(column));
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (v.isNull() || !ok || n < INT32_MIN || n > INT32_MAX) return std::nullopt;
    return qint32(n);
}

// Where a line's name and amount come from: a caption or a stored name column; a
// stored amount column, or one of the computed figures.
struct LineDef {
    int number;
    const char *caption;     // nullptr: the name is stored in nameColumn
    const char *nameColumn;  // nullptr: the caption is the name
    const char *column;      // nullptr: the amount is figure
    Figure Figures::*figure;
    const char *remark;
};

const LineDef defs[] = {
    {1, "販売金額", nullptr, "Hanbai", nullptr, "免税対象牛は販売証明書添付"},
    {2, "雑収入", nullptr, "T_Proseed.Zatu", nullptr, ""},
    {3, nullptr, "T_Proseed.Etc1_Name", "T_Proseed.Etc1", nullptr, ""},
    {4, nullptr, "T_Proseed.Etc2_Name", "T_Proseed.Etc2", nullptr, ""},
    {5, "計", nullptr, nullptr, &Figures::kei1, "1＋2＋3＋4"},
    {6, "租税公課", nullptr, "Sozei", nullptr, ""},
    {7, "素畜費", nullptr, "Mototiku", nullptr, "（種付料、登録料等含む）"},
    {8, "飼料費", nullptr, "Siryou", nullptr, "年間の飼料購入費"},
    {9, "衛生費", nullptr, "Eisei", nullptr, ""},
    {10, "諸材料費", nullptr, "Syozairyou", nullptr, ""},
    {11, "修繕費", nullptr, "Syuuzen", nullptr, ""},
    {12, "動力光熱費", nullptr, "Douryoku", nullptr, ""},
    {13, "家畜共済掛金", nullptr, "Katiku", nullptr, ""},
    {14, "減価償却費", nullptr, "Genka", nullptr, ""},
    {15, "荷造運賃手数料", nullptr, "Nidukuri", nullptr, ""},
    {16, "利子割引料", nullptr, "Risi", nullptr, ""},
    {17, "専従者給与", nullptr, "Senjuusya", nullptr, "青色申告のみ"},
    {18, "雑費", nullptr, "T_Cost.Zatu", nullptr, ""},
    {19, nullptr, "T_Cost.Etc1_Name", "T_Cost.Etc1", nullptr, ""},
    {20, nullptr, "T_Cost.Etc2_Name", "T_Cost.Etc2", nullptr, ""},
    {21, nullptr, "Etc3_Name", "Etc3", nullptr, ""},
    {22, nullptr, "Etc4_Name", "Etc4", nullptr, ""},
    {23, "小計", nullptr, nullptr, &Figures::kei2, ""},
    {24, "棚卸（期首）", nullptr, nullptr, &Figures::kisyu, "（B）＋（前年飼料費期末棚卸額）"},
    {25, "棚卸（期末）", nullptr, nullptr, &Figures::kimatu, "（H）＋（今年飼料費期末棚卸高）"},
    {26, "育成費用", nullptr, "Ikusei", nullptr, ""},
    {27, "計（23＋24－25－26）", nullptr, nullptr, &Figures::kei3, ""},
    {28, "差引金額（5－27）", nullptr, nullptr, &Figures::kei4, ""},
};

}  // namespace

Figures figures(const Frm_Wk::Totals &t) {
    // Each step needs the one before it, so a figure that fails takes the rest with it.
    Figures f;
    if (!(f.kei1 = t.Syuunyuu)) return f;
    if (!(f.kei2 = t.Keihi)) return f;
    if (!(f.kisyu = plus(t.KisyuKei, t.Zensiryou))) return f;
    if (!(f.kimatu = plus(t.KimatuKei, t.Konsiryou))) return f;
    if (!(f.kei3 = minus(minus(plus(f.kei2, f.kisyu), f.kimatu), t.Ikusei))) return f;
    f.kei4 = minus(f.kei1, f.kei3);
    return f;
}

QList<Line> lines(const QVariantMap &syuusi, const Frm_Wk::Totals &totals) {
    const Figures f = figures(totals);
    QList<Line> out;
    for (const LineDef &d : defs) {
        Line line{d.number, {}, {}, QString::fromUtf8(d.remark)};
        line.name = d.caption ? QString::fromUtf8(d.caption)
                              : syuusi.value(QString::fromLatin1(d.nameColumn)).toString();
        line.amount = d.column ? stored(syuusi, d.column) : f.*(d.figure);
        out << line;
    }
    return out;
}

QString missing(const QList<Line> &lines) {
    for (const Line &l : lines) {
        const LineDef *def = std::find_if(std::begin(defs), std::end(defs),
                                          [&](const LineDef &d) { return d.number == l.number; });
        if (def != std::end(defs) && def->figure && !l.amount)
            return QStringLiteral("「%1」（%2 行目）").arg(l.name).arg(l.number);
    }
    return {};
}

bool compute(const Frm_Wk &wk, QList<Line> *out, QString *error) {
    DataSource source(wk.file(), QStringLiteral("Q_Syuusi"));
    if (!source.refresh(error)) return false;
    QVariantMap row;
    for (const LineDef &d : defs)
        for (const char *c : {d.nameColumn, d.column})
            if (c) row.insert(QString::fromLatin1(c), source.value(QString::fromLatin1(c)));
    *out = lines(row, wk.totals());
    return true;
}

}  // namespace Statement
