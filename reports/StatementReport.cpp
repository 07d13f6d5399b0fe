#include "StatementReport.h"

#include "Amount.h"
#include "Frm_Wk.h"
#include "Statement.h"

namespace StatementReport {

namespace {

using Report::rule;
using Report::text;
constexpr Qt::Alignment R = Qt::AlignRight;

// Where each line stands in its section: the row top, and the name's and number's own
// tops where they differ from it (line 20), and its remark's top.
struct Place {
    int top, nameTop, numberTop, remarkTop;
};
// Lines 1..26 in the detail section, 27 and 28 in the footer; 0: same as top.
const Place places[28] = {
    {15, 0, 0, 30},     {330, 0, 0, 0},  {660, 0, 0, 0},     {975, 0, 0, 0},
    {1290, 0, 0, 1305}, {1605, 0, 0, 0}, {1935, 0, 0, 1950}, {2280, 0, 0, 2295},
    {2625, 0, 0, 0},    {2955, 0, 0, 0}, {3285, 0, 0, 0},    {3600, 0, 0, 0},
    {3930, 0, 0, 0},    {4245, 0, 0, 0}, {4590, 0, 0, 0},    {4905, 0, 0, 0},
    {5220, 0, 0, 5235}, {5550, 0, 0, 0}, {5865, 0, 0, 0},    {6180, 6225, 6195, 0},
    {6510, 0, 0, 0},    {6855, 0, 0, 0}, {7185, 0, 0, 0},    {7515, 0, 0, 7530},
    {7830, 0, 0, 7845}, {8175, 0, 0, 0}, {90, 0, 0, 0},      {495, 0, 0, 0},
};
const int detailRules[] = {300,  645,  960,  1245, 1560, 1905, 2220, 2580, 2925, 3225, 3585, 3885,
                           4215, 4545, 4875, 5190, 5505, 5835, 6180, 6480, 6810, 7140, 7470, 7815};

void place(Report::Section &s, const Statement::Line &line) {
    const Place &p = places[line.number - 1];
    const bool footer = line.number > 26;
    s.items << text(1260, p.nameTop ? p.nameTop : p.top, 1695, 195, line.name)
            << text(footer ? 3150 : 3135, p.numberTop ? p.numberTop : p.top, footer ? 285 : 300,
                    225, QString::number(line.number), R)
            << text(3555, p.top, 1275, 255, line.amount ? Amount::format(*line.amount) : QString(),
                    R);
    if (!line.remark.isEmpty())
        s.items << text(4980, p.remarkTop ? p.remarkTop : p.top, 3525, 195, line.remark);
}

// One character per line, as the form's narrow group captions print.
QString downward(const QString &s) {
    return QStringList(s.begin(), s.end()).join(QLatin1Char('\n'));
}

}  // namespace

bool build(const Frm_Wk &wk, Report::Document *doc, QString *error) {
    QList<Statement::Line> lines;
    if (!Statement::compute(wk, &lines, error)) return false;
    if (const QString figure = Statement::missing(lines); !figure.isEmpty()) {
        *error = Frm_Wk::cannotCompute(figure, QStringLiteral("明細書を作れません"));
        return false;
    }
    doc->title = QStringLiteral("明細書");
    doc->caption = QStringLiteral("明細書");
    doc->year = wk.t_Nendo;
    doc->orientation = QPageLayout::Portrait;

    Report::Section header{1200, {}};
    header.items << text(180, 240, 3900, 315, Statement::Title, Qt::AlignLeft, 285)
                 << text(1545, 870, 1410, 240, QStringLiteral("科目"))
                 << text(3720, 870, 1200, 240, QStringLiteral("金額（円）"))
                 << text(5175, 870, 3330, 240, QStringLiteral("摘要")) << rule(570, 795, 8505, 795)
                 << rule(585, 1200, 8520, 1200);
    for (int x : {570, 2955, 3480, 4920, 8505}) header.items << rule(x, 795, x, 1200);

    Report::Section detail{8520, {}};
    detail.items << text(690, 285, 300, 855, downward(QStringLiteral("収入金額")))
                 << text(690, 5325, 240, 510, downward(QStringLiteral("経費")));
    for (int y : detailRules) detail.items << rule(1140, y, 8505, y);
    detail.items << rule(570, 8130, 8505, 8130) << rule(570, 8505, 8505, 8505);
    for (int x : {570, 2955, 3480}) detail.items << rule(x, 0, x, 8505);
    for (int x : {4920, 8505}) detail.items << rule(x, 0, x, 8520);
    detail.items << rule(1140, 0, 1140, 8130);

    Report::Section footer{975, {}};
    footer.items << rule(585, 375, 8520, 375) << rule(570, 750, 8505, 750);
    for (int x : {570, 2955, 3480, 4920, 8505}) footer.items << rule(x, 0, x, 750);

    for (const Statement::Line &line : lines) place(line.number > 26 ? footer : detail, line);
    doc->sections = [sections = QList{header, detail, footer}](const Report::Sink &out, QString *) {
        for (const Report::Section &s : sections) out(s);
        return true;
    };
    return true;
}

}  // namespace StatementReport
