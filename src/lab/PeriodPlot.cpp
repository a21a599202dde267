#include "lab/PeriodPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace lab {

namespace {

struct Range {
    double low = 0, high = 1;
    void take(double x) {
        low = std::min(low, x);
        high = std::max(high, x);
    }
};

}  // namespace

PeriodPlot::PeriodPlot(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(fontMetrics().height() * 8);
}

void PeriodPlot::setSeries(std::vector<Series> series) {
    series_ = std::move(series);
    update();
}

QSize PeriodPlot::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 60, fontMetrics().height() * 14};
}

void PeriodPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    Range x{1, 1}, y;
    for (const Series& series : series_)
        for (const QPointF& point : series.points) {
            x.take(point.x());
            y.take(point.y());
        }
    const int line = fontMetrics().height();
    const QRectF area = QRectF(rect()).adjusted(line * 3, line * 1.5, -line, -line * 2);
    const auto at = [&](QPointF point) {
        const double dx = x.high > x.low ? (point.x() - x.low) / (x.high - x.low) : 0;
        const double dy = (point.y() - y.low) / (y.high - y.low);
        return QPointF(area.left() + dx * area.width(), area.bottom() - dy * area.height());
    };
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.bottomLeft(), area.topLeft());
    const auto label = [&](double value) { return QString::number(value, 'g', 6); };
    painter.drawText(QRectF(0, area.top() - line / 2.0, area.left() - 4, line),
                     Qt::AlignRight | Qt::AlignVCenter, label(y.high));
    painter.drawText(QRectF(0, area.bottom() - line / 2.0, area.left() - 4, line),
                     Qt::AlignRight | Qt::AlignVCenter, label(y.low));
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), line), Qt::AlignLeft,
                     tr("period %1").arg(label(x.low)));
    painter.drawText(QRectF(area.left(), area.bottom() + 2, area.width(), line), Qt::AlignRight,
                     tr("period %1").arg(label(x.high)));
    double legend = area.left();
    for (const Series& series : series_) {
        QPainterPath path;
        for (std::size_t i = 0; i < series.points.size(); ++i) {
            const QPointF point = at(series.points[i]);
            if (i == 0) {
                path.moveTo(point);
                continue;
            }
            if (series.steps) path.lineTo(QPointF(point.x(), path.currentPosition().y()));
            path.lineTo(point);
        }
        painter.setPen(QPen(series.colour, 2));
        painter.drawPath(path);
        painter.drawText(QPointF(legend, line), series.name);
        legend += fontMetrics().horizontalAdvance(series.name) + line;
    }
}

}  // namespace lab
