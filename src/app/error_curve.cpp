#include "app/error_curve.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/numbers.h"

namespace tvx {

namespace {

// Errors below this are drawn at it (an exact fit has no logarithm).
constexpr double kFloor = 1e-12;

}  // namespace

ErrorCurve::ErrorCurve(const Pmeter& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("curve"));
    setMinimumSize(sizeHint());
}

QSize ErrorCurve::sizeHint() const { return {fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40, 96}; }

void ErrorCurve::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().mid().color());
    p.drawRect(frame);
    const std::vector<Pmeter::Point>& curve = model_.curve;
    if (curve.empty() || model_.pbar_max <= model_.pbar_min) return;

    double top = kFloor, bottom = curve.front().best;
    for (const Pmeter::Point& c : curve) {
        top = std::max(top, c.best);
        bottom = std::min(bottom, c.best);
    }
    const double high = std::log10(top);
    const double low = std::log10(std::max(bottom, kFloor));
    const double span = high - low > 1e-9 ? high - low : 1.0;
    // The highest and lowest errors label the left edge, as on an axis; the
    // curve runs to their right, from the top one down to the bottom one.
    const QString high_text = QString::fromStdString(general_text(top, 4));
    const QString low_text = QString::fromStdString(general_text(bottom, 4));
    const int margin = std::max(fontMetrics().horizontalAdvance(high_text), fontMetrics().horizontalAdvance(low_text));
    const double half_line = fontMetrics().height() / 2.0;
    const QRectF plot = frame.adjusted(margin + 12, half_line + 2, -6, -half_line - 2);
    const double steps = model_.pbar_max - model_.pbar_min;
    auto at = [&](const Pmeter::Point& c) {
        const double x = plot.left() + plot.width() * (c.step - model_.pbar_min) / steps;
        const double y = plot.top() + plot.height() * (high - std::log10(std::max(c.best, kFloor))) / span;
        return QPointF(x, high - low > 1e-9 ? y : plot.center().y());
    };
    // At most about two points a pixel: the curve only falls, so the last
    // point of each stretch stands for it.
    const std::size_t stride = std::max<std::size_t>(1, curve.size() / static_cast<std::size_t>(2 * width() + 1));
    QPainterPath path(at(curve.front()));
    for (std::size_t k = stride; k < curve.size(); k += stride) path.lineTo(at(curve[k]));
    path.lineTo(at(curve.back()));

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().highlight().color(), 1.6));
    p.drawPath(path);
    p.setPen(palette().text().color());
    const QRectF labels(frame.left() + 5, plot.top() - half_line, margin, plot.height() + 2 * half_line);
    p.drawText(labels, Qt::AlignRight | Qt::AlignTop, high_text);
    if (high - low > 1e-9) p.drawText(labels, Qt::AlignRight | Qt::AlignBottom, low_text);
}

}  // namespace tvx
