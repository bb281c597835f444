#include "app/theme.h"

#include <QAbstractAxis>
#include <QChart>
#include <QLegend>
#include <QPalette>

namespace tvx {

bool is_dark(const QPalette& palette) { return palette.color(QPalette::Window).lightness() < 128; }

const Colours& colours(const QPalette& palette) {
    static const Colours light{QColor(0x1f, 0x5f, 0xbf), QColor(0xd0, 0x60, 0x10), QColor(0x60, 0x60, 0x60),
                               QColor(0x20, 0x90, 0x40), QColor(0xb0, 0x30, 0x90), QColor(0x1f, 0x5f, 0xbf),
                               QColor(0x40, 0x90, 0x40), QColor(0x50, 0x50, 0x50), QColor(0xa0, 0x20, 0x60),
                               QColor(0xc0, 0x10, 0x10), QColor(0xa0, 0x20, 0x20), QColor(0x50, 0x50, 0x50),
                               QColor(0x8a, 0x4b, 0x00), QColor(0x8c, 0x8c, 0x8c)};
    // The same hues, lighter, to stand out on a dark ground.
    static const Colours dark{QColor(0x6c, 0xa8, 0xff), QColor(0xff, 0x9a, 0x4a), QColor(0xb0, 0xb0, 0xb0),
                              QColor(0x5c, 0xd0, 0x7a), QColor(0xe8, 0x7a, 0xd0), QColor(0x6c, 0xa8, 0xff),
                              QColor(0x60, 0xc0, 0x60), QColor(0xa8, 0xa8, 0xa8), QColor(0xff, 0x70, 0xa8),
                              QColor(0xff, 0x50, 0x50), QColor(0xff, 0x80, 0x80), QColor(0xb8, 0xb8, 0xb8),
                              QColor(0xf0, 0xb0, 0x60), QColor(0x80, 0x80, 0x80)};
    return is_dark(palette) ? dark : light;
}

QString text_colour(const QColor& colour) { return QStringLiteral("color: %1;").arg(colour.name()); }

void paint_chart_in(QChart* chart, const QPalette& palette) {
    const QColor text = palette.color(QPalette::Text);
    const QColor ground = palette.color(QPalette::Base);
    QColor grid = palette.color(QPalette::Mid);
    if (is_dark(palette)) grid = grid.darker(130);
    chart->setBackgroundBrush(ground);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setTitleBrush(text);
    chart->legend()->setLabelColor(text);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsColor(text);
        axis->setTitleBrush(text);
        axis->setLinePenColor(palette.color(QPalette::Mid));
        axis->setGridLineColor(grid);
        axis->setMinorGridLineColor(grid.lighter(is_dark(palette) ? 80 : 115));
    }
}

}  // namespace tvx
