#include "Frm_Wk.h"

#include <limits>

#include "Amount.h"
#include "DataSource.h"
#include "YearFile.h"

namespace {

struct Column {
    const char *column;
    QString Frm_Wk::*field;
};
struct SourceDef {
    const char *query;
    std::initializer_list<Column> columns;
};

const SourceDef &definition(Frm_Wk::Source s) {
    static const SourceDef defs[] = {
        {"Q_Cow_Cal1",
         {{"Kisyu_Kei", &Frm_Wk::t_KisyuKei},
          {"Kimatu_Kei", &Frm_Wk::t_KimatuKei},
          {"HiikuKingaku_Kei", &Frm_Wk::t_HiikukingakuKei},
          {"Hiiku_Kei", &Frm_Wk::t_HiikuTukiKei},
          {"Moto_Kei", &Frm_Wk::t_Mototiku}}},
        {"Q_Cost_Cal1", {{"Cost_Kei", &Frm_Wk::t_Keihi}}},
        {"Q_Cost_Tesuu", {{"Nidukuri", &Frm_Wk::t_Tesuu}}},
        {"Q_Proseed_Cal1", {{"Syuunyuu_Kei", &Frm_Wk::t_Syuunyuu}}},
        {"Q_Cost_Zensiryou", {{"Zensiryou", &Frm_Wk::t_Zensiryou}}},
        {"Q_Cost_Konsiryou", {{"Konsiryou", &Frm_Wk::t_Konsiryou}}},
        {"Q_Cost_Ikusei", {{"Ikusei", &Frm_Wk::t_Ikusei}}},
    };
    return defs[s];
}

// Every field: its figure in Totals and its caption, as messages name it.
struct Field {
    QString Frm_Wk::*field;
    Frm_Wk::Figure Frm_Wk::Totals::*figure;  // nullptr: the year, which is no total
    const char *caption;
};
const Field fields[] = {
    {&Frm_Wk::t_Nendo, nullptr, "処理年度"},
    {&Frm_Wk::t_Keihi, &Frm_Wk::Totals::Keihi, "年間経費"},
    {&Frm_Wk::t_Syuunyuu, &Frm_Wk::Totals::Syuunyuu, "年間収入"},
    {&Frm_Wk::t_Mototiku, &Frm_Wk::Totals::Mototiku, "種付・素畜費"},
    {&Frm_Wk::t_Tesuu, &Frm_Wk::Totals::Tesuu, "販売手数料"},
    {&Frm_Wk::t_NendoHiiku, &Frm_Wk::Totals::NendoHiiku, "年度肥育費"},
    {&Frm_Wk::t_HiikuTukiKei, &Frm_Wk::Totals::HiikuTukiKei, "肥育月数計"},
    {&Frm_Wk::t_TukiHiiku, &Frm_Wk::Totals::TukiHiiku, "１頭１月肥育"},
    {&Frm_Wk::t_KisyuKei, &Frm_Wk::Totals::KisyuKei, "期首棚卸計"},
    {&Frm_Wk::t_HiikukingakuKei, &Frm_Wk::Totals::HiikukingakuKei, "肥育金額計"},
    {&Frm_Wk::t_KimatuKei, &Frm_Wk::Totals::KimatuKei, "期末棚卸計"},
    {&Frm_Wk::t_Zensiryou, &Frm_Wk::Totals::Zensiryou, "前年飼料棚卸高"},
    {&Frm_Wk::t_Konsiryou, &Frm_Wk::Totals::Konsiryou, "今年飼料棚卸高"},
    {&Frm_Wk::t_Ikusei, &Frm_Wk::Totals::Ikusei, "育成費"},
};

const Field *fieldOf(QString Frm_Wk::*field) {
    for (const Field &f : fields)
        if (f.field == field) return &f;
    return nullptr;
}

// An empty derived figure is one that could not be computed, not 0.
Frm_Wk::Figure derivedFigure(const QString &text) {
    return text.trimmed().isEmpty() ? std::nullopt : Frm_Wk::number(text);
}

bool recalculates(Frm_Wk::Source s) {
    return s == Frm_Wk::Data_Cost2 || s == Frm_Wk::Data_CostCal || s == Frm_Wk::Data_CowCal1 ||
           s == Frm_Wk::Data_ProseedCal1;
}

}  // namespace

Frm_Wk::Frm_Wk(std::shared_ptr<YearFile> file) : file_(std::move(file)) {}

Frm_Wk::~Frm_Wk() = default;

std::unique_ptr<Frm_Wk> Frm_Wk::prepare(const QString &fileName, QString *error) {
    auto file = YearFile::open(fileName, error);
    if (!file) return nullptr;
    return totalsOf(std::move(file), error);
}

std::unique_ptr<Frm_Wk> Frm_Wk::totalsOf(std::shared_ptr<YearFile> file, QString *error) {
    std::unique_ptr<Frm_Wk> wk(new Frm_Wk(std::move(file)));
    for (Source s : {Data_CowCal1, Data_CostCal, Data_Cost2, Data_ProseedCal1, Data_Cost_Zensiryou,
                     Data_Cost_Konsiryou, Data_Cost_Ikusei}) {
        if (!wk->read(s, error)) return nullptr;
    }
    wk->Cal_Wk();
    return wk;
}

std::optional<qint64> Frm_Wk::closingOf(const std::shared_ptr<YearFile> &file) {
    QString ignored;  // a list that shows the figure says it could not be computed
    const auto wk = totalsOf(file, &ignored);
    return wk ? wk->totals().KimatuKei : std::nullopt;
}

bool Frm_Wk::read(Source source, QString *error) {
    const SourceDef &def = definition(source);
    DataSource data(file_, QString::fromLatin1(def.query));
    const bool ok = data.refresh(error);
    for (const Column &c : def.columns) {
        const QVariant v = ok ? data.value(QString::fromLatin1(c.column)) : QVariant();
        this->*(c.field) = v.isNull() ? QString() : v.toString();
    }
    return ok;
}

bool Frm_Wk::refresh(std::initializer_list<Source> sources, QString *error) {
    bool ok = true;
    for (Source s : sources) {
        ok = read(s, error);
        if (recalculates(s)) calculate();
        if (!ok) break;
    }
    settle();
    return ok;
}

std::optional<qint64> Frm_Wk::number(const QString &text) {
    if (text.trimmed().isEmpty()) return 0;
    return Amount::parseTotal(text);
}

Frm_Wk::Figure Frm_Wk::value(QString Frm_Wk::*field) const {
    const Field *f = fieldOf(field);
    return f && f->figure ? totals_.*(f->figure) : std::nullopt;
}

QString Frm_Wk::caption(QString Frm_Wk::*field) {
    const Field *f = fieldOf(field);
    return f ? QString::fromUtf8(f->caption) : QString();
}

QString Frm_Wk::cannotCompute(const QString &figure, const QString &refused) {
    return QStringLiteral(
               "%1が計算できないため、%2。\n"
               "集計が数字でないか、計算できる範囲を超えています。経費・収入と子牛の金額を確かめて"
               "ください。")
        .arg(figure, refused);
}

void Frm_Wk::Cal_Wk() {
    calculate();
    settle();
}

void Frm_Wk::calculate() {
    const auto nendo = Cal_NendoHiiku();
    t_NendoHiiku = nendo ? QString::number(*nendo) : QString();
    const auto tuki = Cal_TukiHiiku();
    t_TukiHiiku = tuki ? QString::number(*tuki) : QString();
}

void Frm_Wk::settle() {
    for (const Field &f : fields) {
        if (!f.figure) continue;
        const QString &text = this->*(f.field);
        const bool derived = f.field == &Frm_Wk::t_NendoHiiku || f.field == &Frm_Wk::t_TukiHiiku;
        totals_.*(f.figure) = derived ? derivedFigure(text) : number(text);
    }
}

std::optional<qint64> Frm_Wk::Cal_NendoHiiku() const {
    const auto keihi = number(t_Keihi), moto = number(t_Mototiku), tesuu = number(t_Tesuu);
    if (!keihi || !moto || !tesuu) return std::nullopt;
    qint64 result = 0;
    if (__builtin_sub_overflow(*keihi, *moto, &result) ||
        __builtin_sub_overflow(result, *tesuu, &result))
        return std::nullopt;
    return result;
}

std::optional<qint32> Frm_Wk::Cal_TukiHiiku() const {
    const auto nendo = derivedFigure(t_NendoHiiku), months = number(t_HiikuTukiKei);
    if (!nendo || !months) return std::nullopt;
    if (*months == 0) return 0;
    // Integer division truncates toward zero as the rule asks, and stays exact where a
    // double would round a 64-bit cost; the one quotient that overflows is min / -1.
    if (*nendo == std::numeric_limits<qint64>::min() && *months == -1) return std::nullopt;
    const qint64 q = *nendo / *months;
    if (q < std::numeric_limits<qint32>::min() || q > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(q);
}
