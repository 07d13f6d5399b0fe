#include "Frm_YearList.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Amount.h"
#include "BarChart.h"
#include "Calves.h"
#include "Clock.h"
#include "EraDate.h"
#include "Frm_Wk.h"
#include "KeyNav.h"
#include "M_Cow.h"
#include "YearFile.h"

namespace {

const QStringList captions = {QStringLiteral("年度"),         QStringLiteral("頭数"),
                              QStringLiteral("年間経費"),     QStringLiteral("年間収入"),
                              QStringLiteral("年度肥育費"),   QStringLiteral("肥育月数計"),
                              QStringLiteral("１頭１月肥育"), QStringLiteral("期末棚卸計")};
constexpr int TukiHiiku = 4;  // index into Year::figures

}  // namespace

QList<Frm_YearList::Year> Frm_YearList::readYears() {
    // Only names the program gives: "cowdata13 (copy).mdb" or "cowdataピー.mdb" is a
    // copy or a stray file, and would show as a second year 13 or a year "ピー".
    static const QRegularExpression yearName(QStringLiteral("^cowdata([0-9]{1,2})\\.mdb$"));
    QList<std::pair<std::optional<EraDate::EraYear>, Year>> found;
    for (const QString &name : QDir::current().entryList(QDir::Files, QDir::Name)) {
        const auto match = yearName.match(name);
        if (!match.hasMatch()) continue;
        Year y{name, match.captured(1)};
        // Read-only: looking at another year must never change it, not even its journal.
        auto file = YearFile::open(name, &y.problem, true);
        std::unique_ptr<Frm_Wk> totals;
        std::optional<Calves::Summary> held;
        if (file) held = Calves::summary(*file, &y.problem);
        if (held) totals = Frm_Wk::totalsOf(file, &y.problem);
        const auto era = EraDate::yearOfDigits(match.captured(1).toInt(),
                                               held ? held->latest : QDate(), Clock::today());
        if (era) y.nendo = era->name();
        if (totals) {
            y.heads = held->heads;
            for (QString Frm_Wk::*field :
                 {&Frm_Wk::t_Keihi, &Frm_Wk::t_Syuunyuu, &Frm_Wk::t_NendoHiiku,
                  &Frm_Wk::t_HiikuTukiKei, &Frm_Wk::t_TukiHiiku, &Frm_Wk::t_KimatuKei})
                y.figures << totals->value(field);
            y.problem.clear();
        } else if (y.problem.isEmpty()) {
            y.problem = QStringLiteral("%1 を読めません。").arg(name);
        }
        found.append({era, y});
    }
    // Digits no era has (00) after every year, in the order of their names.
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return a.first && (!b.first || *a.first < *b.first);
    });
    QList<Year> years;
    for (const auto &f : found) years << f.second;
    return years;
}

Frm_YearList::Frm_YearList(const QString &currentFile, QWidget *parent)
    : QDialog(parent), grid_Years(new QTableWidget(this)) {
    setObjectName(QStringLiteral("Frm_YearList"));
    setWindowTitle(QStringLiteral("年度一覧"));

    const QList<Year> years = readYears();
    grid_Years->setObjectName(QStringLiteral("grid_Years"));
    grid_Years->setColumnCount(int(captions.size()));
    grid_Years->setHorizontalHeaderLabels(captions);
    grid_Years->setRowCount(int(years.size()));
    grid_Years->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_Years->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_Years->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_Years->verticalHeader()->hide();

    QList<BarChart::Bar> bars;
    for (int r = 0; r < years.size(); ++r) {
        const Year &y = years[r];
        const bool current = y.fileName == currentFile;
        auto put = [&](int c, const QString &text, bool number) {
            auto *item = new QTableWidgetItem(text);
            if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (current) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            if (!y.problem.isEmpty()) item->setToolTip(y.problem);
            grid_Years->setItem(r, c, item);
        };
        if (!y.problem.isEmpty()) {
            put(0, y.fileName, false);
            put(1, QStringLiteral("読めません"), false);
            continue;
        }
        put(0, y.nendo, false);
        put(1, Amount::format(y.heads), true);
        for (int f = 0; f < y.figures.size(); ++f) {
            put(f + 2, y.figures[f] ? Amount::format(*y.figures[f]) : QString(), true);
            // An empty cell would pass for a year with nothing in it.
            if (!y.figures[f])
                grid_Years->item(r, f + 2)->setToolTip(
                    QStringLiteral("計算できません。経費・収入と子牛の金額を確かめてください。"));
        }
        bars.append({y.nendo, y.figures[TukiHiiku].value_or(0)});
    }
    // The figures share the window's width, never narrower than the widest of them.
    grid_Years->resizeColumnsToContents();
    int least = 90;
    for (int c = 1; c < grid_Years->columnCount(); ++c)
        least = std::max(least, grid_Years->columnWidth(c));
    QHeaderView *header = grid_Years->horizontalHeader();
    header->setMinimumSectionSize(least);
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    int currentRow = 0;
    for (int r = 0; r < years.size(); ++r)
        if (years[r].fileName == currentFile) currentRow = r;
    if (!years.isEmpty()) grid_Years->selectRow(currentRow);

    auto *chart_TukiHiiku =
        new BarChart(QStringLiteral("１頭１月肥育（円）"), QStringLiteral("年度"), this);
    chart_TukiHiiku->setObjectName(QStringLiteral("chart_TukiHiiku"));
    chart_TukiHiiku->setBars(bars);

    auto *cmd_Close = new QPushButton(QStringLiteral("閉じる"), this);
    cmd_Close->setObjectName(QStringLiteral("cmd_Close"));
    // Not a default button: Enter on a row must do nothing, not close the window.
    cmd_Close->setAutoDefault(false);
    connect(cmd_Close, &QPushButton::clicked, this, &QDialog::accept);
    auto *keys = new KeyNav(this);
    keys->button(cmd_Close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid_Years, 1);
    layout->addWidget(chart_TukiHiiku, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmd_Close);
    layout->addLayout(bottom);
    resize(820, 560);
    grid_Years->setFocus();
}
