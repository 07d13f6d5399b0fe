#include "Fields.h"

#include <algorithm>

#include "FatteningMonths.h"

namespace Fields {

using Binding::Kind;

namespace {

constexpr qint64 CountLow = -32768, CountHigh = 32767;
constexpr qint64 AmountLow = -2147483648LL, AmountHigh = 2147483647LL;

Field whole(const QString &name, Kind kind, const char *caption, const char *csv, int since = 1) {
    const bool count = kind == Kind::Count;
    return {name,
            kind,
            QString::fromUtf8(caption),
            QString::fromUtf8(csv),
            since,
            count ? CountLow : AmountLow,
            count ? CountHigh : AmountHigh};
}

Field text(const QString &name, Kind kind, const char *caption, const char *csv, int since = 1,
           int length = Binding::MaxText) {
    Field f{name, kind, QString::fromUtf8(caption), QString::fromUtf8(csv), since};
    f.length = length;
    return f;
}

// A code chosen from a list, which the schema holds it to.
Field chosen(const QString &name, const char *caption, const char *csv, int since,
             QList<Code> codes) {
    Field f = whole(name, Kind::Count, caption, csv, since);
    const auto [low, high] = std::minmax_element(
        codes.cbegin(), codes.cend(), [](const Code &a, const Code &b) { return a.code < b.code; });
    f.low = low->code;
    f.high = high->code;
    f.codes = std::move(codes);
    f.checkedCodes = true;
    return f;
}

QList<Code> yesNo(const QString &shortYes = {}) {
    return {{0, QStringLiteral("いいえ"), {}}, {1, QStringLiteral("はい"), shortYes}};
}

// Codes that follow one another, so that a range says them.
bool consecutive(const QList<Code> &codes) {
    for (qsizetype i = 1; i < codes.size(); ++i)
        if (codes[i].code != codes[i - 1].code + 1) return false;
    return true;
}

Code word(int code, const char *word, const char *shortWord = nullptr) {
    const QString w = QString::fromUtf8(word);
    return {code, w, shortWord ? QString::fromUtf8(shortWord) : w};
}

QList<Field> columns() {
    Field syori = whole("Syori", Kind::Count, "処理", "処理");
    syori.codes = {word(Dounyuu, "導入・種付"), word(Hiiku, "肥育中"), word(Baikyaku, "売却"),
                   word(Sibou, "死亡")};
    QList<Field> list = {
        whole("No", Kind::Count, "No", "No"),
        text("Name", Kind::Text, "子牛名前", "子牛名前"),
        text("OName", Kind::Text, "親牛名前", "親牛名前"),
        text("I_Date", Kind::Date, "導入・種付年月日", "導入・種付年月日"),
        whole("I_Kingaku", Kind::Amount, "導入・種付金額", "導入・種付金額"),
        whole("Kisyu", Kind::Amount, "期首棚卸高", "期首棚卸高"),
        text("O_Date", Kind::Date, "売却・死亡年月日", "売却・死亡年月日"),
        syori,
        whole("Hiikutuki", Kind::Count, "肥育月数", "肥育月数"),
        whole("HiikuKingaku", Kind::Amount, "肥育金額", "肥育金額"),
        whole("Kimatu", Kind::Amount, "期末棚卸高", "期末棚卸高"),
    };
    // The inventory table's mark for each month of the year, kept with the calf.
    for (int m = 1; m <= 12; ++m)
        list << text(QStringLiteral("F%1").arg(m), Kind::Text, "", "", 1, 1);
    // The price is refused below 1 yen when typed; the file keeps the type's range, as a
    // file of an earlier version may hold any amount there.
    list << whole("S_Kingaku", Kind::Price, "売却価額", "売却価額", 2)
         << chosen("S_Hinsyu", "品種区分", "品種区分", 2,
                   {word(int(Hinsyu::Beef), "肉専用種"), word(int(Hinsyu::Cross), "交雑種"),
                    word(int(Hinsyu::Dairy), "乳用種"), word(int(Hinsyu::Outside), "対象外の牛")})
         << chosen("S_Touroku", "高等登録", "高等登録", 2, yesNo(QStringLiteral("有")))
         // Neither shown nor exported: a CSV of an earlier version names it 売却先, which
         // the import reads into S_Uriba by sakiOfVersion2.
         << chosen("S_Saki", "売却先（旧）", "", 2,
                   {word(1, "家畜市場・卸売市場"), word(2, "農協への委託"), word(3, "その他")})
         << chosen("S_Jika", "自家産", "自家産", 2, yesNo())
         << text("S_Birth", Kind::Date, "生年月日", "生年月日", 2)
         << whole("S_Zei", Kind::Amount, "消費税等", "消費税等", 3)
         << whole("S_Hokyu", Kind::Amount, "補給金等", "補給金等", 3)
         << chosen("S_Uriba", "売却先", "売却先区分", 3,
                   {word(int(Saki::Market), "家畜市場（臨時市場を含む）・中央卸売市場", "市場"),
                    word(int(Saki::MeatMarket), "認定を受けた食肉市場", "認定市場"),
                    word(int(Saki::Consigned), "指定農協への委託（生後1年未満）", "農協委託"),
                    word(int(Saki::Other), "その他（認定のない市場・相対取引など）", "その他")})
         << text("S_Kotai", Kind::Text, "個体識別番号", "個体識別番号", 3)
         << text("S_Aite", Kind::Text, "市場・農協名", "市場・農協名", 3);
    return list;
}

// Amounts typed into the ledger windows; not in any CSV file, whose totals are the work
// window's and the statement's.
Field amount(const char *name, const char *caption) {
    return whole(QString::fromLatin1(name), Kind::Amount, caption, "");
}
Field itemName(const char *name, const char *caption) {
    return text(QString::fromLatin1(name), Kind::Text, caption, "");
}

QList<Field> costColumns() {
    return {
        amount("Sozei", "租税公課"),
        amount("Mototiku", "素畜費"),
        amount("Siryou", "飼料費"),
        amount("Eisei", "衛生費"),
        amount("Syozairyou", "諸材料費"),
        amount("Syuuzen", "修繕費"),
        amount("Douryoku", "動力光熱費"),
        amount("Katiku", "家畜共済掛金"),
        amount("Genka", "減価償却費"),
        amount("Nidukuri", "荷造運賃手数料"),
        amount("Risi", "利子割引料"),
        amount("Senjuusya", "専従者給与"),
        amount("Zatu", "雑費"),
        itemName("Etc1_Name", "その他経費1の名称"),
        amount("Etc1", "その他経費1"),
        itemName("Etc2_Name", "その他経費2の名称"),
        amount("Etc2", "その他経費2"),
        itemName("Etc3_Name", "その他経費3の名称"),
        amount("Etc3", "その他経費3"),
        itemName("Etc4_Name", "その他経費4の名称"),
        amount("Etc4", "その他経費4"),
        amount("Zensiryou", "前年飼料棚卸高"),
        amount("Konsiryou", "今年飼料棚卸高"),
        amount("Ikusei", "育成費用"),
    };
}

QList<Field> proseedColumns() {
    return {
        amount("Hanbai", "販売金額"),
        amount("Zatu", "雑収入"),
        itemName("Etc1_Name", "その他収入1の名称"),
        amount("Etc1", "その他収入1"),
        itemName("Etc2_Name", "その他収入2の名称"),
        amount("Etc2", "その他収入2"),
    };
}

// The rule's settings for the year: both empty until the farmer sets them.
QList<Field> tokureiColumns() {
    return {
        chosen("Keiri", "経理方式", "", 3,
               {word(int(Keiri::Inclusive), "税込経理"), word(int(Keiri::Exclusive), "税抜経理")}),
        text("Kigen", Kind::Date, "特例の適用期限", "", 3)};
}

}  // namespace

Saki sakiOfVersion2(int code) {
    switch (code) {
        case 1:
            return Saki::Market;
        case 2:
            return Saki::Consigned;
        case 3:
            return Saki::Other;
    }
    return Saki::Unset;
}

const QList<Table> &tables() {
    static const QList<Table> list = {{QStringLiteral("T_Cow"), columns()},
                                      {QStringLiteral("T_Cost"), costColumns()},
                                      {QStringLiteral("T_Proseed"), proseedColumns()},
                                      {QStringLiteral("T_Tokurei"), tokureiColumns(), 3}};
    Q_ASSERT(list[0].fields.size() == int(RegisterCount) + int(SaleCount));
    Q_ASSERT(list[1].fields.size() == int(Cost::Count));
    Q_ASSERT(list[2].fields.size() == int(Proseed::Count));
    Q_ASSERT(list[3].fields.size() == int(Tokurei::Count));
    return list;
}

const QList<Field> &cow() {
    return tables()[0].fields;
}

const QList<Field> &cost() {
    return tables()[1].fields;
}

const QList<Field> &proseed() {
    return tables()[2].fields;
}

const Field &field(Register column) {
    return cow()[column];
}

const Field &field(Sale column) {
    return cow()[int(RegisterCount) + int(column)];
}

const Field &field(Cost column) {
    return cost()[int(column)];
}

const Field &field(Proseed column) {
    return proseed()[int(column)];
}

const Field &field(Tokurei column) {
    return tables()[3].fields[int(column)];
}

QString Field::sqlType() const {
    return kind == Kind::Text || kind == Kind::Date ? QStringLiteral("TEXT")
                                                    : QStringLiteral("INTEGER");
}

QString Field::check() const {
    QString holds;
    switch (kind) {
        case Kind::Text:
            return QStringLiteral("%1 IS NULL OR length(%1) <= %2").arg(name).arg(length);
        case Kind::Date:
            // date(x) alone accepts 2001-02-31.
            return QStringLiteral(
                       "%1 IS NULL OR (typeof(%1) = 'text' AND date(%1, '+0 days') IS %1)")
                .arg(name);
        case Kind::Count:
        case Kind::Amount:
        case Kind::Price:
            break;
    }
    // A yes or no is said as its two values, a longer run as its range.
    if (checkedCodes && (!consecutive(codes) || codes.size() <= 2)) {
        QStringList listed;
        for (const Code &c : codes) listed << QString::number(c.code);
        holds = QStringLiteral("%1 IN (%2)").arg(name, listed.join(QStringLiteral(", ")));
    } else {
        holds = QStringLiteral("%1 BETWEEN %2 AND %3").arg(name).arg(low).arg(high);
    }
    return QStringLiteral("%1 IS NULL OR (typeof(%1) = 'integer' AND %2)").arg(name, holds);
}

QString Field::definition() const {
    return QStringLiteral("%1 %2 CHECK (%3)").arg(name, sqlType(), check());
}

const Code *Field::code(const QVariant &stored) const {
    if (stored.isNull()) return nullptr;
    bool number = false;
    const qint64 n = stored.toLongLong(&number);
    for (const Code &c : codes)
        if (number && c.code == n) return &c;
    return nullptr;
}

QString Field::word(const QVariant &stored) const {
    const Code *c = code(stored);
    return c ? c->word : QString();
}

QString Field::shortWord(const QVariant &stored) const {
    const Code *c = code(stored);
    return c ? c->shortWord : QString();
}

QString Field::choices() const {
    if (codes.size() == 2)
        return QStringLiteral("%1（%2）か %3（%4）")
            .arg(codes[0].code)
            .arg(codes[0].word)
            .arg(codes[1].code)
            .arg(codes[1].word);
    if (consecutive(codes))
        return QStringLiteral("%1 から %2 の番号").arg(codes.first().code).arg(codes.last().code);
    QStringList listed;
    for (const Code &c : codes) listed << QString::number(c.code);
    return listed.join(QStringLiteral("、")) + QStringLiteral(" のどれかの番号");
}

}  // namespace Fields
