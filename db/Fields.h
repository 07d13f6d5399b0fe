#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include "Binding.h"

// The year file's columns, each said once: its name, how it is stored and typed, its range
// or the codes it is chosen from with their words, the caption that windows and messages
// name it by, and its CSV column. CSV, the windows, the reports and the upgrade steps take
// these from here; a test holds the schema's checks to them.
namespace Fields {

struct Code {
    int code;
    QString word;       // in a window's choice list and in messages
    QString shortWord;  // in a report's narrow column; may be empty
};

struct Field {
    QString name;
    Binding::Kind kind;
    QString caption;
    QString csv;               // the CSV column's header; empty when not exported
    int since = 1;             // the schema version that added the column
    qint64 low = 0, high = 0;  // the stored range of a whole number
    int length = 0;            // the most characters of a text
    QList<Code> codes;         // what it is chosen from; empty for a value typed freely
    // The schema refuses a code off the list. Not so for a list that older versions never
    // held their files to: their range stays the type's.
    bool checkedCodes = false;

    QString sqlType() const;     // INTEGER or TEXT
    QString check() const;       // the CHECK expression of the column
    QString definition() const;  // as CREATE TABLE and ALTER TABLE ADD COLUMN write it
    const Code *code(const QVariant &stored) const;  // nullptr for empty or off the list
    QString word(const QVariant &stored) const;      // empty for empty or off the list
    QString shortWord(const QVariant &stored) const;
    // What a message asks for: "1 から 4 の番号", "0（いいえ）か 1（はい）".
    QString choices() const;
};

// The codes of S_Hinsyu and S_Uriba; 0 (Unset) is the empty field.
enum class Hinsyu { Unset = 0, Beef = 1, Cross = 2, Dairy = 3, Outside = 4 };
// Where a head was sold, in the words of the rule: a market the law names, a meat market
// with the minister's 認定, a designated 農協, or any other way (no special rule).
enum class Saki { Unset = 0, Market = 1, MeatMarket = 2, Consigned = 3, Other = 4 };
// S_Saki of a file before version 3 said 1 市場, 2 農協への委託, 3 その他; its code as S_Uriba.
Saki sakiOfVersion2(int code);

// The year's 経理方式 (T_Tokurei.Keiri); empty is 税込.
enum class Keiri { Inclusive = 1, Exclusive = 2 };

// T_Cow's columns in the table's order. Columns are only ever added, at the end: the
// register's, then what a sold calf's 売却証明書 states (since version 2, more since 3;
// S_Saki, whose codes no longer say the rule's routes, is emptied by the upgrade and
// read by nothing).
// clang-format off
enum Register {
    No, Name, OName, I_Date, I_Kingaku, Kisyu, O_Date, Syori, Hiikutuki, HiikuKingaku, Kimatu,
    F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
    RegisterCount
};
enum Sale {
    S_Kingaku, S_Hinsyu, S_Touroku, S_Saki, S_Jika, S_Birth,
    S_Zei, S_Hokyu, S_Uriba, S_Kotai, S_Aite,
    SaleCount
};
// The rule's settings for the year, one row (since version 3).
enum class Tokurei { Keiri, Kigen, Count };
// clang-format on

// T_Cost's and T_Proseed's columns in the tables' order: the year's one record of expenses
// and of income, each free item's name before its amount.
// clang-format off
enum class Cost {
    Sozei, Mototiku, Siryou, Eisei, Syozairyou, Syuuzen, Douryoku, Katiku, Genka, Nidukuri,
    Risi, Senjuusya, Zatu, Etc1_Name, Etc1, Etc2_Name, Etc2, Etc3_Name, Etc3, Etc4_Name, Etc4,
    Zensiryou, Konsiryou, Ikusei, Count
};
enum class Proseed { Hanbai, Zatu, Etc1_Name, Etc1, Etc2_Name, Etc2, Count };
// clang-format on

const Field &field(Register column);
const Field &field(Sale column);
const Field &field(Cost column);
const Field &field(Proseed column);
const Field &field(Tokurei column);
const QList<Field> &cow();      // every column of T_Cow, in the table's order
const QList<Field> &cost();     // of T_Cost
const QList<Field> &proseed();  // of T_Proseed

struct Table {
    QString name;
    QList<Field> fields;
    int since = 1;  // the schema version that added the table, with one row of empty fields
};
// T_Cow, T_Cost, T_Proseed and T_Tokurei, in the schema's order.
const QList<Table> &tables();

}  // namespace Fields
