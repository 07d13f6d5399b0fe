#pragma once

#include <QDate>
#include <QString>

#include <optional>

// One calf sold in the year, with what the market's or 農協's 売却証明書 says of it:
// everything the 免税 judgement and its report need, read once from the year file.
// Stored in T_Cow as S_Kingaku, S_Hinsyu, S_Touroku, S_Saki, S_Jika and S_Birth.
struct SoldHead {
    enum class Breed { Unset = 0, Beef = 1, Cross = 2, Dairy = 3, Outside = 4 };  // S_Hinsyu
    enum class Place { Unset = 0, Market = 1, Consigned = 2, Other = 3 };         // S_Saki

    int no = 0;                   // No
    QString name;                 // Name
    QDate bought;                 // I_Date; invalid when empty
    QDate sold;                   // O_Date; invalid when empty
    std::optional<qint64> price;  // S_Kingaku: the certified price, 生産者補給金等 included
    Breed breed = Breed::Unset;
    bool registered = false;  // S_Touroku: 高等登録
    Place place = Place::Unset;
    bool homeBred = false;  // S_Jika: 自家産
    QDate born;             // S_Birth; invalid when empty
    qint64 cost = 0;        // Kisyu + I_Kingaku + HiikuKingaku, each empty counting as 0
};
