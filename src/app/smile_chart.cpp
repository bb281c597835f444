#include "app/smile_chart.h"

#include <QBrush>
#include <QChart>
#include <QGuiApplication>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/theme.h"
#include "core/numbers.h"

namespace tvx {

namespace {

// The series' colours in turn, from the palette's (app/theme.h).
std::vector<QColor> series_colours() {
    const Colours& c = colours(QGuiApplication::palette());
    return {c.main, c.counterpart, c.floor, c.conversion, c.mark, c.marker, c.payoff, c.x_band};
}

struct Span {
    double lo = 0, hi = 0;
    bool any = false;
    void take(double v) {
        if (!std::isfinite(v)) return;
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    void pad() {
        const double room = hi > lo ? 0.05 * (hi - lo) : std::max(1e-3, 0.05 * std::fabs(hi));
        lo -= room, hi += room;
    }
};

QValueAxis* axis(const std::string& title, Span s) {
    auto* a = new QValueAxis;
    a->setTitleText(QString::fromStdString(title));
    s.pad();
    a->setRange(s.lo, s.hi);
    a->setTickCount(7);
    a->applyNiceNumbers();
    a->setLabelFormat(QStringLiteral("%.4g"));
    return a;
}

// Blue (low) through green and yellow to red (high).
QColor heat_colour(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return QColor::fromHsvF(0.66 * (1.0 - x), 0.85, 0.95);
}

// The heat map as the plot area's picture, redrawn whenever the area moves.
void add_heat(QChart* chart, const HeatMap& h) {
    Span v;
    for (const auto& row : h.vol)
        for (const auto& x : row)
            if (x) v.take(*x);
    const auto paint = [chart, h, v](const QRectF& area) {
        QImage image(area.size().toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        image.fill(QGuiApplication::palette().color(QPalette::Base));
        QPainter p(&image);
        const double cw = image.width() / static_cast<double>(h.strikes.size());
        const double ch = image.height() / static_cast<double>(h.times.size());
        for (std::size_t j = 0; j < h.times.size(); ++j)
            for (std::size_t i = 0; i < h.strikes.size(); ++i)
                if (const auto& x = h.vol[j][i])
                    p.fillRect(QRectF(i * cw, image.height() - (j + 1) * ch, cw + 1, ch + 1),
                               heat_colour(v.hi > v.lo ? (*x - v.lo) / (v.hi - v.lo) : 0.5));
        p.end();
        QBrush brush(image);
        brush.setTransform(QTransform::fromTranslate(area.left(), area.top()));
        chart->setPlotAreaBackgroundBrush(brush);
        chart->setPlotAreaBackgroundVisible(true);
    };
    QObject::connect(chart, &QChart::plotAreaChanged, chart, paint);
    paint(chart->plotArea());
    // The colour scale, as legend entries of a few levels.
    for (int level = 0; level <= 4; ++level) {
        auto* key = new QScatterSeries;
        const double x = level / 4.0;
        key->setName(QStringLiteral("volatility ") + QString::fromStdString(general_text(v.lo + x * (v.hi - v.lo), 3)));
        key->setColor(heat_colour(x));
        key->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        chart->addSeries(key);
    }
}

// One series as lines, markers or bars; `attach` puts each on the axes,
// its legend entry shown or not.
void add_series(const PlotSeries& s, const QColor& c, const std::function<void(QXYSeries*, bool)>& attach) {
    const QString name = QString::fromStdString(s.name);
    if (s.mark == PlotMark::Bars) {
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            auto* bar = new QLineSeries;
            bar->setName(name);
            bar->append({QPointF(s.x[i], s.low[i]), QPointF(s.x[i], s.high[i])});
            bar->setPen(QPen(colours(QGuiApplication::palette()).quiet, 2.0));
            attach(bar, i == 0);
        }
        return;
    }
    QXYSeries* series = nullptr;
    if (s.mark == PlotMark::Points) {
        auto* points = new QScatterSeries;
        points->setMarkerSize(7);
        points->setColor(c);
        points->setBorderColor(c);
        series = points;
    } else {
        series = new QLineSeries;
        series->setPen(QPen(c, 2.0));
    }
    series->setName(name);
    for (std::size_t i = 0; i < s.x.size(); ++i) series->append(s.x[i], s.y[i]);
    attach(series, true);
}

}  // namespace

void draw_smile_plot(QChart* chart, const SmilePlot& plot, const std::function<void(const QString&)>& hover) {
    QObject::disconnect(chart, nullptr, chart, nullptr);  // an earlier heat map's repaint
    chart->removeAllSeries();
    for (QAbstractAxis* a : chart->axes()) chart->removeAxis(a);
    chart->setPlotAreaBackgroundVisible(false);
    paint_chart_in(chart, QGuiApplication::palette());
    // A legend of many curves (total variance, an expiry each) beside the
    // plot, where their names have room.
    chart->legend()->setAlignment(plot.series.size() > 6 ? Qt::AlignRight : Qt::AlignBottom);
    if (plot.empty()) return;

    Span xs, ys;
    if (plot.heat) {
        for (const double k : plot.heat->strikes) xs.take(k);
        for (const double t : plot.heat->times) ys.take(t);
    }
    for (const PlotSeries& s : plot.series) {
        for (const double x : s.x) xs.take(x);
        for (const double y : s.y) ys.take(y);
        for (const double y : s.low) ys.take(y);
        for (const double y : s.high) ys.take(y);
    }
    QValueAxis* x_axis = axis(plot.x_label, xs);
    QValueAxis* y_axis = axis(plot.y_label, ys);
    if (plot.heat) {  // the cells fill the area exactly
        x_axis->setRange(plot.heat->strikes.front(), plot.heat->strikes.back());
        y_axis->setRange(plot.heat->times.front(), plot.heat->times.back());
    }
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);
    const auto attach = [&](QXYSeries* series, bool legend) {
        chart->addSeries(series);
        series->attachAxis(x_axis);
        series->attachAxis(y_axis);
        for (QLegendMarker* m : chart->legend()->markers(series)) m->setVisible(legend);
        const std::string x_label = plot.x_label, y_label = plot.y_label, name = series->name().toStdString();
        QObject::connect(series, &QXYSeries::hovered, chart, [=](const QPointF& p, bool on) {
            if (on)
                hover(QString::fromStdString(name + ": " + x_label + " " + general_text(p.x(), 6) + ", " + y_label +
                                             " " + general_text(p.y(), 6)));
        });
    };
    if (plot.heat) add_heat(chart, *plot.heat);
    const std::vector<QColor> palette = series_colours();
    std::size_t colour = 0;
    for (const PlotSeries& s : plot.series) add_series(s, palette[colour++ % palette.size()], attach);
    // The axes just made, in the palette's colours too.
    paint_chart_in(chart, QGuiApplication::palette());
}

}  // namespace tvx
