#pragma once

#include <QDate>
#include <QString>

#include <optional>

#include "Fields.h"

// One calf sold in the year, with what the market's or 農協's 売却証明書 says of it:
// everything the 免税 judgement and its report need, read once from the year file. The
// members carry the names of the T_Cow columns they come from.
struct SoldHead {
    using Hinsyu = Fields::Hinsyu;
    using Saki = Fields::Saki;

    int No = 0;
    QString Name;
    QDate I_Date;                     // invalid when empty
    QDate O_Date;                     // invalid when empty
    std::optional<qint64> S_Kingaku;  // the certificate's price, before consumption tax
    qint64 S_Zei = 0;                 // the consumption tax the certificate writes beside it
    qint64 S_Hokyu = 0;               // 生産者補給金等 received for the head
    Hinsyu S_Hinsyu = Hinsyu::Unset;
    bool S_Touroku = false;  // 高等登録
    Saki S_Uriba = Saki::Unset;
    bool S_Jika = false;  // 自家産
    QDate S_Birth;        // invalid when empty
    QString S_Kotai;      // 個体識別番号, as typed
    QString S_Aite;       // the market or 農協 that sold it
    qint64 cost = 0;      // Kisyu + I_Kingaku + HiikuKingaku, each empty counting as 0
};
