#pragma once

#include <QString>
#include <initializer_list>
#include <memory>
#include <optional>

class DataSource;
class YearFile;

// The year's totals, read from the saved queries of the current year file, and the
// two figures derived from them. Never shown; it lives from start-up to exit and is
// loaded again when the year changes. Every field is text, as the windows read it.
class Frm_Wk {
  public:
    enum Source {
        Data_CowCal1,
        Data_CostCal,
        Data_Cost2,
        Data_ProseedCal1,
        Data_Cost_Zensiryou,
        Data_Cost_Konsiryou,
        Data_Cost_Ikusei,
    };

    // The totals of fileName, opened for this: the seven sources are read in their order
    // and Cal_Wk runs. nullptr with a message when the file fails. CurrentYear makes
    // them the current year's.
    static std::unique_ptr<Frm_Wk> prepare(const QString &fileName, QString *error);
    // The totals and derived figures of any year file, read and computed as load() does,
    // without becoming the work window. nullptr with a message when the file fails.
    static std::unique_ptr<Frm_Wk> totalsOf(std::shared_ptr<YearFile> file, QString *error);
    // The 期末棚卸計 of any year file (a backup's copy too); nullopt when it cannot be
    // computed.
    static std::optional<qint64> closingOf(const std::shared_ptr<YearFile> &file);
    ~Frm_Wk();

    // Re-reads the sources in the given order; the four main totals each recompute the
    // derived figures as Cal_Wk does. Stops at the first source that cannot be read,
    // whose fields are then empty, and says why. A caller that values calves must not
    // take those empty fields for totals of 0.
    bool refresh(std::initializer_list<Source> sources, QString *error);

    void Cal_Wk();
    // Totals and 年度肥育費 are 64-bit: a big farm's sums pass 2,147,483,647 yen long
    // before any one calf does. Empty totals count as 0; nullopt when a total is not a
    // number or the result overflows.
    std::optional<qint64> Cal_NendoHiiku() const;
    // Also nullopt outside the 32-bit range: it is a per-calf amount, and no calf's
    // fattening amount could hold even one month of it.
    std::optional<qint32> Cal_TukiHiiku() const;

    // A field read as a number: empty is 0, other text is a total; nullopt when not.
    static std::optional<qint64> number(const QString &text);

    using Figure = std::optional<qint64>;
    // Every total but the year as the forms and exports take it: like number(), except
    // that an empty derived figure (年度肥育費, １頭１月肥育) could not be computed, which
    // is not 0. Parsed from the fields once, whenever they are read or computed.
    struct Totals {
        Figure Keihi, Syuunyuu, Mototiku, Tesuu, NendoHiiku, HiikuTukiKei, TukiHiiku, KisyuKei,
            HiikukingakuKei, KimatuKei, Zensiryou, Konsiryou, Ikusei;
    };
    const Totals &totals() const { return totals_; }
    // One field's figure in totals(); nullopt for t_Nendo.
    Figure value(QString Frm_Wk::*field) const;
    // The field's caption, as messages name it ("年度肥育費").
    static QString caption(QString Frm_Wk::*field);
    // Why a form or an export is refused: figure is the figure as the message names it
    // ("「年度肥育費」"), refused what cannot be done ("棚卸表を作れません").
    static QString cannotCompute(const QString &figure, const QString &refused);

    const std::shared_ptr<YearFile> &file() const { return file_; }

    QString t_Nendo;            // 処理年度
    QString t_Keihi;            // 年間経費
    QString t_Syuunyuu;         // 年間収入
    QString t_Mototiku;         // 種付・素畜費
    QString t_Tesuu;            // 販売手数料
    QString t_NendoHiiku;       // 年度肥育費
    QString t_HiikuTukiKei;     // 肥育月数計
    QString t_TukiHiiku;        // １頭１月肥育
    QString t_KisyuKei;         // 期首棚卸計
    QString t_HiikukingakuKei;  // 肥育金額計
    QString t_KimatuKei;        // 期末棚卸計
    QString t_Zensiryou;        // 前年飼料棚卸高
    QString t_Konsiryou;        // 今年飼料棚卸高
    QString t_Ikusei;           // 育成費

  private:
    explicit Frm_Wk(std::shared_ptr<YearFile> file);
    bool read(Source source, QString *error);
    void calculate();
    // Parses the fields into totals_.
    void settle();

    std::shared_ptr<YearFile> file_;
    Totals totals_;
};
