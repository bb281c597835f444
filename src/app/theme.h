// The program's own colours (the curves of a chart, a note, a greyed
// line), light or dark to match the desktop's palette, which the program
// follows and never sets. Qt 6.4 has no colour scheme to ask, so a palette
// whose window colour is darker than mid-grey counts as dark.
#pragma once

#include <QColor>
#include <QString>

class QChart;
class QPalette;

namespace tvx {

bool is_dark(const QPalette& palette);

struct Colours {
    QColor main;         // a chart's chosen curve
    QColor counterpart;  // its counterpart
    QColor payoff;       // the payoff at expiry, the strike
    QColor floor;        // a bond's floor
    QColor conversion;   // a convertible's conversion value
    QColor band;         // a simulated value's band, the curve's colour
    QColor x_band;       // the spot's likely range
    QColor rule;         // the level line
    QColor mark;         // the breakevens
    QColor marker;       // the current terms
    QColor note;         // a note that something is amiss
    QColor quiet;        // a line that says how, under the figures
    QColor earlier;      // the line that names earlier terms
    QColor greyed;       // figures of earlier terms
};

// The colours for this palette.
const Colours& colours(const QPalette& palette);

// "color: #rrggbb;", for a label's style sheet.
QString text_colour(const QColor& colour);

// A chart drawn in the palette's colours: its background, plot area,
// title, axes, grid lines and legend.
void paint_chart_in(QChart* chart, const QPalette& palette);

}  // namespace tvx
