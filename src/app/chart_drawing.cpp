#include "app/chart_drawing.h"

#include <QAreaSeries>
#include <QChart>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QSaveFile>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QValueAxis>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/theme.h"
#include "charts/axes.h"
#include "charts/chart_text.h"
#include "charts/scenario.h"

namespace tvx {

namespace {

// The program's colours for the desktop's palette (app/theme.h).
const Colours& palette_colours() { return colours(QGuiApplication::palette()); }

QColor with_alpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QPen pen_of(SeriesRole role) {
    const Colours& c = palette_colours();
    switch (role) {
        case SeriesRole::Main: return QPen(c.main, 2.5);
        case SeriesRole::Counterpart: return QPen(c.counterpart, 2.0, Qt::DashLine);
        case SeriesRole::Payoff: return QPen(c.payoff, 1.5, Qt::DotLine);
        case SeriesRole::Floor: return QPen(c.floor, 2.0, Qt::DashLine);
        case SeriesRole::Conversion: return QPen(c.conversion, 2.0, Qt::DashDotLine);
        case SeriesRole::BandLow:
        case SeriesRole::BandHigh: return QPen(with_alpha(c.band, 90), 1.0);
        case SeriesRole::Strike: return QPen(c.payoff, 1.5, Qt::DotLine);
    }
    return {};
}

// The curve's points, and its corners between them in x order.
QLineSeries* line_of(const Plot& plot, const Series& s) {
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(s.name));
    auto corner = s.corners.begin();
    for (std::size_t i = 0; i < plot.x.size() && i < s.y.size(); ++i) {
        for (; corner != s.corners.end() && corner->first < plot.x[i]; ++corner)
            line->append(corner->first, corner->second);
        if (s.y[i] && std::isfinite(*s.y[i])) line->append(plot.x[i], *s.y[i]);
    }
    line->setPen(pen_of(s.role));
    return line;
}

// A round step near `rough`: 1, 2, 2.5 or 5 times a power of ten.
double nice_step(double rough) {
    if (!(rough > 0.0) || !std::isfinite(rough)) return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 2.5, 5.0})
        if (m * power >= rough) return m * power;
    return 10.0 * power;
}

// The x axis over the range exactly as charted, its ticks on round
// numbers inside it.
QValueAxis* x_axis_of(const Plot& plot) {
    auto* axis = new QValueAxis;
    axis->setTitleText(QString::fromStdString(plot.x_label));
    axis->setRange(plot.x.front(), plot.x.back());
    axis->setLabelFormat(QStringLiteral("%.4g"));
    axis->setTickCount(7);
    axis->setMinorTickCount(1);
    const double step = nice_step((plot.x.back() - plot.x.front()) / 6.0);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickInterval(step);
    axis->setTickAnchor(std::ceil(plot.x.front() / step) * step);
    return axis;
}

QValueAxis* y_axis_of(const Plot& plot) {
    auto* axis = new QValueAxis;
    axis->setTitleText(QString::fromStdString(plot.y_label));
    const AxisRange range = value_axis(plot);
    axis->setRange(range.low, range.high);
    axis->setTickCount(7);
    axis->applyNiceNumbers();  // ticks on round numbers
    axis->setLabelFormat(QStringLiteral("%.4g"));
    return axis;
}

// The shaded band between the plot's band series, when it has both.
void add_band(QChart* chart, const Plot& plot, QAbstractAxis* x_axis, QAbstractAxis* y_axis) {
    const Series* band_low = nullptr;
    const Series* band_high = nullptr;
    for (const Series& s : plot.series) {
        if (s.role == SeriesRole::BandLow) band_low = &s;
        if (s.role == SeriesRole::BandHigh) band_high = &s;
    }
    if (!band_low || !band_high) return;
    QLineSeries* upper = line_of(plot, *band_high);
    QLineSeries* lower = line_of(plot, *band_low);
    auto* band = new QAreaSeries(upper, lower);
    band->setName(QStringLiteral("± one standard error"));
    band->setBrush(with_alpha(palette_colours().band, 45));
    band->setPen(Qt::NoPen);
    chart->addSeries(band);
    band->attachAxis(x_axis);
    band->attachAxis(y_axis);
}

// The plot's bands of x, shaded across the height from `low` to `high`,
// the widest (lightest) first.
void add_x_bands(QChart* chart, const Plot& plot, QAbstractAxis* x_axis, QAbstractAxis* y_axis, double low,
                 double high) {
    int alpha = 28;
    for (const XBand& b : plot.x_bands) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        upper->append({QPointF(b.from, high), QPointF(b.to, high)});
        lower->append({QPointF(b.from, low), QPointF(b.to, low)});
        auto* band = new QAreaSeries(upper, lower);
        band->setName(QString::fromStdString(b.name));
        band->setBrush(with_alpha(palette_colours().x_band, alpha));
        band->setPen(Qt::NoPen);
        chart->addSeries(band);
        band->attachAxis(x_axis);
        band->attachAxis(y_axis);
        for (QLegendMarker* m : chart->legend()->markers(band)) m->setVisible(false);  // the caption says them
        alpha += 22;
    }
}

// A straight line between two points, its legend entry shown only when
// `legend` holds.
void add_rule(QChart* chart, QAbstractAxis* x_axis, QAbstractAxis* y_axis, QPointF a, QPointF b, const QString& name,
              const QPen& pen, bool legend) {
    auto* line = new QLineSeries;
    line->setName(name);
    line->append({a, b});
    line->setPen(pen);
    chart->addSeries(line);
    line->attachAxis(x_axis);
    line->attachAxis(y_axis);
    for (QLegendMarker* m : chart->legend()->markers(line)) m->setVisible(legend);
}

// The level line across the plot and the marks of x, over the bands and
// under the curves.
void add_rules(QChart* chart, const Plot& plot, QValueAxis* x_axis, QValueAxis* y_axis) {
    const double low = y_axis->min(), high = y_axis->max();
    add_x_bands(chart, plot, x_axis, y_axis, low, high);
    if (plot.y_line)
        add_rule(chart, x_axis, y_axis, {plot.x.front(), *plot.y_line}, {plot.x.back(), *plot.y_line}, QString(),
                 QPen(palette_colours().rule, 1.0), false);
    for (const XMark& m : plot.x_marks) {
        add_rule(chart, x_axis, y_axis, {m.x, low}, {m.x, high}, QString::fromStdString(m.name),
                 QPen(palette_colours().mark, 1.5, Qt::DashLine), false);
    }
}

}  // namespace

void draw_plot(QChart* chart, const Plot& plot, const std::function<void(const QString&)>& hover) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) chart->removeAxis(axis);
    chart->setTitle(QString());
    paint_chart_in(chart, QGuiApplication::palette());
    if (plot.empty()) return;

    QValueAxis* x_axis = x_axis_of(plot);
    QValueAxis* y_axis = y_axis_of(plot);
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);

    const auto attach = [&](QXYSeries* series) {
        chart->addSeries(series);
        series->attachAxis(x_axis);
        series->attachAxis(y_axis);
        const std::string name = series->name().toStdString();
        Plot labels;  // the series outlives this plot's model: keep its label
        labels.x_label = plot.x_label;
        QObject::connect(series, &QXYSeries::hovered, chart, [labels, name, hover](const QPointF& p, bool on) {
            if (on) hover(QString::fromStdString(hover_text(labels, name, p.x(), p.y())));
        });
    };

    add_rules(chart, plot, x_axis, y_axis);
    add_band(chart, plot, x_axis, y_axis);
    for (const Series& s : plot.series) {
        if (s.role == SeriesRole::BandLow || s.role == SeriesRole::BandHigh) continue;
        attach(line_of(plot, s));
    }
    if (plot.current_x && plot.current_y && std::isfinite(*plot.current_y)) {
        auto* marker = new QScatterSeries;
        marker->setName(QStringLiteral("Current terms"));
        marker->setMarkerSize(11);
        marker->setColor(palette_colours().marker);
        marker->setBorderColor(QGuiApplication::palette().color(QPalette::Base));
        marker->append(*plot.current_x, *plot.current_y);
        attach(marker);
    }
    // The axes just made, in the palette's colours too.
    paint_chart_in(chart, QGuiApplication::palette());
}

void fill_points_table(QTableWidget* table, const Plot& plot) {
    const TextTable t = plot_table(plot);
    table->clear();
    table->setColumnCount(static_cast<int>(t.header.size()));
    table->setRowCount(static_cast<int>(t.rows.size()));
    QStringList header;
    for (const std::string& h : t.header) header << QString::fromStdString(h);
    table->setHorizontalHeaderLabels(header);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        for (std::size_t j = 0; j < t.rows[i].size(); ++j) {
            auto* item = new QTableWidgetItem(QString::fromStdString(t.rows[i][j]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(static_cast<int>(i), static_cast<int>(j), item);
        }
    }
}

void describe_chart(QWidget* view, const Plot& plot) {
    view->setAccessibleName(QString::fromStdString(plot.empty() ? std::string("Chart: nothing drawn") : plot.title));
    view->setAccessibleDescription(QString::fromStdString(plot.caption));
}

bool save_picture(const Picture& picture, const QString& path) {
    // Written whole or not at all: into a temporary file, then committed.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && QFileInfo(path).suffix().toLower() == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(picture.size);
        svg.setViewBox(QRect(QPoint(0, 0), picture.size));
        svg.setTitle(picture.title);
        if (!picture.description.isEmpty()) svg.setDescription(picture.description);
        QPainter painter(&svg);
        picture.paint(painter);
        ok = painter.end();
    } else if (ok) {
        ok = picture.image().save(&file, "PNG");
    }
    return ok && file.commit();
}

Picture widget_picture(QWidget* widget, const QString& title) {
    return {widget->size(), title, QString(), [widget](QPainter& painter) { widget->render(&painter); },
            [widget] { return widget->grab().toImage(); }};
}

QString ask_chart_file(QWidget* parent, const QString& suggested, bool table) {
    const QString png = QStringLiteral("PNG image (*.png)");
    const QString svg = QStringLiteral("SVG drawing (*.svg)");
    const QString csv = QStringLiteral("Points as CSV (*.csv)");
    const QString filters =
        (table ? QStringList{csv, png, svg} : QStringList{png, svg, csv}).join(QStringLiteral(";;"));
    QString filter;
    const QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Save the chart"), suggested, filters, &filter);
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + (filter.contains(QLatin1String("svg"))   ? QStringLiteral(".svg")
                   : filter.contains(QLatin1String("csv")) ? QStringLiteral(".csv")
                                                           : QStringLiteral(".png"));
}

void fill_scenario_table(QTableWidget* table, const ScenarioGrid& g, bool pnl, const QStringList& across,
                         const QStringList& down) {
    table->clear();
    table->setRowCount(static_cast<int>(g.spots.size()));
    table->setColumnCount(static_cast<int>(g.vols.size()));
    table->setHorizontalHeaderLabels(across);
    table->setVerticalHeaderLabels(down);
    for (std::size_t i = 0; i < g.spots.size(); ++i) {
        for (std::size_t j = 0; j < g.vols.size(); ++j) {
            auto* item = new QTableWidgetItem(QString::fromStdString(scenario_cell(g, i, j, pnl)));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(static_cast<int>(i), static_cast<int>(j), item);
        }
    }
}

}  // namespace tvx
