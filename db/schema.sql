-- One year of the farm: the calf register, the expense record and the income record,
-- and the saved queries the windows and reports read their totals from.
-- Amounts are whole yen in the 32-bit range, counts in the 16-bit range, dates ISO
-- text. date(x,'+0 days') is used because date(x) alone accepts 2001-02-31.
PRAGMA application_id = 1297241665;  -- 'MRVA'
PRAGMA user_version = 3;

-- Since version 3 the calf register also keeps the tax and the grants beside the
-- certificate price, the route in the words of the rule (S_Saki is left empty), the
-- 個体識別番号 and who sold the head. No comment stands between those columns: SQLite
-- cannot drop the last of them past one, as a test takes a file back a version.
CREATE TABLE T_Cow (
    No           INTEGER CHECK (No IS NULL OR (typeof(No) = 'integer' AND No BETWEEN -32768 AND 32767)),
    Name         TEXT    CHECK (Name IS NULL OR length(Name) <= 255),
    OName        TEXT    CHECK (OName IS NULL OR length(OName) <= 255),
    I_Date       TEXT    CHECK (I_Date IS NULL OR (typeof(I_Date) = 'text' AND date(I_Date, '+0 days') IS I_Date)),
    I_Kingaku    INTEGER CHECK (I_Kingaku IS NULL OR (typeof(I_Kingaku) = 'integer' AND I_Kingaku BETWEEN -2147483648 AND 2147483647)),
    Kisyu        INTEGER CHECK (Kisyu IS NULL OR (typeof(Kisyu) = 'integer' AND Kisyu BETWEEN -2147483648 AND 2147483647)),
    O_Date       TEXT    CHECK (O_Date IS NULL OR (typeof(O_Date) = 'text' AND date(O_Date, '+0 days') IS O_Date)),
    Syori        INTEGER CHECK (Syori IS NULL OR (typeof(Syori) = 'integer' AND Syori BETWEEN -32768 AND 32767)),
    Hiikutuki    INTEGER CHECK (Hiikutuki IS NULL OR (typeof(Hiikutuki) = 'integer' AND Hiikutuki BETWEEN -32768 AND 32767)),
    HiikuKingaku INTEGER CHECK (HiikuKingaku IS NULL OR (typeof(HiikuKingaku) = 'integer' AND HiikuKingaku BETWEEN -2147483648 AND 2147483647)),
    Kimatu       INTEGER CHECK (Kimatu IS NULL OR (typeof(Kimatu) = 'integer' AND Kimatu BETWEEN -2147483648 AND 2147483647)),
    F1  TEXT CHECK (F1 IS NULL OR length(F1) <= 1),
    F2  TEXT CHECK (F2 IS NULL OR length(F2) <= 1),
    F3  TEXT CHECK (F3 IS NULL OR length(F3) <= 1),
    F4  TEXT CHECK (F4 IS NULL OR length(F4) <= 1),
    F5  TEXT CHECK (F5 IS NULL OR length(F5) <= 1),
    F6  TEXT CHECK (F6 IS NULL OR length(F6) <= 1),
    F7  TEXT CHECK (F7 IS NULL OR length(F7) <= 1),
    F8  TEXT CHECK (F8 IS NULL OR length(F8) <= 1),
    F9  TEXT CHECK (F9 IS NULL OR length(F9) <= 1),
    F10 TEXT CHECK (F10 IS NULL OR length(F10) <= 1),
    F11 TEXT CHECK (F11 IS NULL OR length(F11) <= 1),
    F12 TEXT CHECK (F12 IS NULL OR length(F12) <= 1),
    -- A sold calf as the market's or 農協's 売却証明書 states it; since version 2.
    S_Kingaku INTEGER CHECK (S_Kingaku IS NULL OR (typeof(S_Kingaku) = 'integer' AND S_Kingaku BETWEEN -2147483648 AND 2147483647)),
    S_Hinsyu  INTEGER CHECK (S_Hinsyu IS NULL OR (typeof(S_Hinsyu) = 'integer' AND S_Hinsyu BETWEEN 1 AND 4)),
    S_Touroku INTEGER CHECK (S_Touroku IS NULL OR (typeof(S_Touroku) = 'integer' AND S_Touroku IN (0, 1))),
    S_Saki    INTEGER CHECK (S_Saki IS NULL OR (typeof(S_Saki) = 'integer' AND S_Saki BETWEEN 1 AND 3)),
    S_Jika    INTEGER CHECK (S_Jika IS NULL OR (typeof(S_Jika) = 'integer' AND S_Jika IN (0, 1))),
    S_Birth   TEXT    CHECK (S_Birth IS NULL OR (typeof(S_Birth) = 'text' AND date(S_Birth, '+0 days') IS S_Birth)),
    S_Zei     INTEGER CHECK (S_Zei IS NULL OR (typeof(S_Zei) = 'integer' AND S_Zei BETWEEN -2147483648 AND 2147483647)),
    S_Hokyu   INTEGER CHECK (S_Hokyu IS NULL OR (typeof(S_Hokyu) = 'integer' AND S_Hokyu BETWEEN -2147483648 AND 2147483647)),
    S_Uriba   INTEGER CHECK (S_Uriba IS NULL OR (typeof(S_Uriba) = 'integer' AND S_Uriba BETWEEN 1 AND 4)),
    S_Kotai   TEXT    CHECK (S_Kotai IS NULL OR length(S_Kotai) <= 255),
    S_Aite    TEXT    CHECK (S_Aite IS NULL OR length(S_Aite) <= 255)
);

CREATE TABLE T_Cost (
    Sozei      INTEGER CHECK (Sozei IS NULL OR (typeof(Sozei) = 'integer' AND Sozei BETWEEN -2147483648 AND 2147483647)),
    Mototiku   INTEGER CHECK (Mototiku IS NULL OR (typeof(Mototiku) = 'integer' AND Mototiku BETWEEN -2147483648 AND 2147483647)),
    Siryou     INTEGER CHECK (Siryou IS NULL OR (typeof(Siryou) = 'integer' AND Siryou BETWEEN -2147483648 AND 2147483647)),
    Eisei      INTEGER CHECK (Eisei IS NULL OR (typeof(Eisei) = 'integer' AND Eisei BETWEEN -2147483648 AND 2147483647)),
    Syozairyou INTEGER CHECK (Syozairyou IS NULL OR (typeof(Syozairyou) = 'integer' AND Syozairyou BETWEEN -2147483648 AND 2147483647)),
    Syuuzen    INTEGER CHECK (Syuuzen IS NULL OR (typeof(Syuuzen) = 'integer' AND Syuuzen BETWEEN -2147483648 AND 2147483647)),
    Douryoku   INTEGER CHECK (Douryoku IS NULL OR (typeof(Douryoku) = 'integer' AND Douryoku BETWEEN -2147483648 AND 2147483647)),
    Katiku     INTEGER CHECK (Katiku IS NULL OR (typeof(Katiku) = 'integer' AND Katiku BETWEEN -2147483648 AND 2147483647)),
    Genka      INTEGER CHECK (Genka IS NULL OR (typeof(Genka) = 'integer' AND Genka BETWEEN -2147483648 AND 2147483647)),
    Nidukuri   INTEGER CHECK (Nidukuri IS NULL OR (typeof(Nidukuri) = 'integer' AND Nidukuri BETWEEN -2147483648 AND 2147483647)),
    Risi       INTEGER CHECK (Risi IS NULL OR (typeof(Risi) = 'integer' AND Risi BETWEEN -2147483648 AND 2147483647)),
    Senjuusya  INTEGER CHECK (Senjuusya IS NULL OR (typeof(Senjuusya) = 'integer' AND Senjuusya BETWEEN -2147483648 AND 2147483647)),
    Zatu       INTEGER CHECK (Zatu IS NULL OR (typeof(Zatu) = 'integer' AND Zatu BETWEEN -2147483648 AND 2147483647)),
    Etc1_Name  TEXT    CHECK (Etc1_Name IS NULL OR length(Etc1_Name) <= 255),
    Etc1       INTEGER CHECK (Etc1 IS NULL OR (typeof(Etc1) = 'integer' AND Etc1 BETWEEN -2147483648 AND 2147483647)),
    Etc2_Name  TEXT    CHECK (Etc2_Name IS NULL OR length(Etc2_Name) <= 255),
    Etc2       INTEGER CHECK (Etc2 IS NULL OR (typeof(Etc2) = 'integer' AND Etc2 BETWEEN -2147483648 AND 2147483647)),
    Etc3_Name  TEXT    CHECK (Etc3_Name IS NULL OR length(Etc3_Name) <= 255),
    Etc3       INTEGER CHECK (Etc3 IS NULL OR (typeof(Etc3) = 'integer' AND Etc3 BETWEEN -2147483648 AND 2147483647)),
    Etc4_Name  TEXT    CHECK (Etc4_Name IS NULL OR length(Etc4_Name) <= 255),
    Etc4       INTEGER CHECK (Etc4 IS NULL OR (typeof(Etc4) = 'integer' AND Etc4 BETWEEN -2147483648 AND 2147483647)),
    Zensiryou  INTEGER CHECK (Zensiryou IS NULL OR (typeof(Zensiryou) = 'integer' AND Zensiryou BETWEEN -2147483648 AND 2147483647)),
    Konsiryou  INTEGER CHECK (Konsiryou IS NULL OR (typeof(Konsiryou) = 'integer' AND Konsiryou BETWEEN -2147483648 AND 2147483647)),
    Ikusei     INTEGER CHECK (Ikusei IS NULL OR (typeof(Ikusei) = 'integer' AND Ikusei BETWEEN -2147483648 AND 2147483647))
);

CREATE TABLE T_Proseed (
    Hanbai    INTEGER CHECK (Hanbai IS NULL OR (typeof(Hanbai) = 'integer' AND Hanbai BETWEEN -2147483648 AND 2147483647)),
    Zatu      INTEGER CHECK (Zatu IS NULL OR (typeof(Zatu) = 'integer' AND Zatu BETWEEN -2147483648 AND 2147483647)),
    Etc1_Name TEXT    CHECK (Etc1_Name IS NULL OR length(Etc1_Name) <= 255),
    Etc1      INTEGER CHECK (Etc1 IS NULL OR (typeof(Etc1) = 'integer' AND Etc1 BETWEEN -2147483648 AND 2147483647)),
    Etc2_Name TEXT    CHECK (Etc2_Name IS NULL OR length(Etc2_Name) <= 255),
    Etc2      INTEGER CHECK (Etc2 IS NULL OR (typeof(Etc2) = 'integer' AND Etc2 BETWEEN -2147483648 AND 2147483647))
);

-- The year's settings for the rule on income from selling beef cattle, one row; since
-- version 3. Empty: 税込経理, and the period the program knows.
CREATE TABLE T_Tokurei (
    Keiri INTEGER CHECK (Keiri IS NULL OR (typeof(Keiri) = 'integer' AND Keiri IN (1, 2))),
    Kigen TEXT    CHECK (Kigen IS NULL OR (typeof(Kigen) = 'text' AND date(Kigen, '+0 days') IS Kigen))
);
INSERT INTO T_Tokurei DEFAULT VALUES;

-- Totals over no rows are NULL: an empty year shows empty fields that count as 0.
CREATE VIEW Q_Cow_Cal1 AS
SELECT SUM(Kisyu) AS Kisyu_Kei, SUM(Kimatu) AS Kimatu_Kei, SUM(HiikuKingaku) AS HiikuKingaku_Kei,
       SUM(Hiikutuki) AS Hiiku_Kei, SUM(I_Kingaku) AS Moto_Kei
FROM T_Cow;

-- The expense lines the detail statement prints above its subtotal; an empty amount
-- counts as 0. The feed stocks and the rearing cost are not expenses of the year.
CREATE VIEW Q_Cost_Cal1 AS
SELECT SUM(coalesce(Sozei, 0) + coalesce(Mototiku, 0) + coalesce(Siryou, 0) + coalesce(Eisei, 0)
         + coalesce(Syozairyou, 0) + coalesce(Syuuzen, 0) + coalesce(Douryoku, 0)
         + coalesce(Katiku, 0) + coalesce(Genka, 0) + coalesce(Nidukuri, 0) + coalesce(Risi, 0)
         + coalesce(Senjuusya, 0) + coalesce(Zatu, 0) + coalesce(Etc1, 0) + coalesce(Etc2, 0)
         + coalesce(Etc3, 0) + coalesce(Etc4, 0)) AS Cost_Kei
FROM T_Cost;

CREATE VIEW Q_Proseed_Cal1 AS
SELECT SUM(coalesce(Hanbai, 0) + coalesce(Zatu, 0) + coalesce(Etc1, 0) + coalesce(Etc2, 0)) AS Syuunyuu_Kei
FROM T_Proseed;

CREATE VIEW Q_Cost_Tesuu AS SELECT Nidukuri FROM T_Cost ORDER BY rowid;
CREATE VIEW Q_Cost_Zensiryou AS SELECT Zensiryou FROM T_Cost ORDER BY rowid;
CREATE VIEW Q_Cost_Konsiryou AS SELECT Konsiryou FROM T_Cost ORDER BY rowid;
CREATE VIEW Q_Cost_Ikusei AS SELECT Ikusei FROM T_Cost ORDER BY rowid;

-- Always one row, so the detail statement prints all its lines even for an empty year.
CREATE VIEW Q_Syuusi AS
SELECT p.Hanbai AS Hanbai, p.Zatu AS "T_Proseed.Zatu",
       p.Etc1_Name AS "T_Proseed.Etc1_Name", p.Etc1 AS "T_Proseed.Etc1",
       p.Etc2_Name AS "T_Proseed.Etc2_Name", p.Etc2 AS "T_Proseed.Etc2",
       c.Sozei AS Sozei, c.Mototiku AS Mototiku, c.Siryou AS Siryou, c.Eisei AS Eisei,
       c.Syozairyou AS Syozairyou, c.Syuuzen AS Syuuzen, c.Douryoku AS Douryoku,
       c.Katiku AS Katiku, c.Genka AS Genka, c.Nidukuri AS Nidukuri, c.Risi AS Risi,
       c.Senjuusya AS Senjuusya, c.Zatu AS "T_Cost.Zatu",
       c.Etc1_Name AS "T_Cost.Etc1_Name", c.Etc1 AS "T_Cost.Etc1",
       c.Etc2_Name AS "T_Cost.Etc2_Name", c.Etc2 AS "T_Cost.Etc2",
       c.Etc3_Name AS Etc3_Name, c.Etc3 AS Etc3, c.Etc4_Name AS Etc4_Name, c.Etc4 AS Etc4,
       c.Ikusei AS Ikusei, c.Zensiryou AS Zensiryou, c.Konsiryou AS Konsiryou
FROM (SELECT 1)
LEFT JOIN (SELECT * FROM T_Proseed ORDER BY rowid LIMIT 1) AS p
LEFT JOIN (SELECT * FROM T_Cost ORDER BY rowid LIMIT 1) AS c;
