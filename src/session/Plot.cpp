#include "session/Plot.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <map>

#include "tool/common/OutputFile.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"

namespace tool {

RunData LoadRun(db::Connection& connection, const QString& subject, const QString& version) {
    const Rows events(
        connection,
        QStringLiteral("SELECT Trial, eventType, AmountInTank, GoalAmount, LowerBoundFromGoal, "
                       "UpperBoundFromGoal, UserInFlow, UserOutFlow, EnvInFlow, EnvOutFlow, "
                       "SimulationTime FROM datExperimentTrials WHERE Subject = ? AND Version = ? "
                       "ORDER BY EventID, %1")
            .arg(connection.rowKey()),
        {subject, version});
    if (events.empty())
        throw ToolError(QStringLiteral("participant '%1' has no recorded events in version '%2'")
                            .arg(subject, version));

    RunData run{
        subject, version, QString(), events.at(0, QStringLiteral("AmountInTank")).toDouble(), {}};
    const Rows setup(connection,
                     QStringLiteral("SELECT YUnits FROM tblSetup WHERE Version = ?%1 LIMIT 1")
                         .arg(db::OrderOfRows(connection, QStringLiteral("tblSetup"))),
                     {version});
    if (!setup.empty()) run.units = setup.at(0, QStringLiteral("YUnits")).toString();

    std::map<int, RunPeriod> periods;
    for (int e = 0; e < events.size(); ++e) {
        const auto value = [&](const char* column) {
            return events.at(e, QLatin1String(column)).toDouble();
        };
        const int trial = static_cast<int>(value("Trial"));
        if (trial < 1) continue;  // a Submit before the first period of a time-driven run
        RunPeriod& period = periods[trial];
        period.trial = trial;
        period.amount = value("AmountInTank");
        period.goal = value("GoalAmount");
        period.lowerBound = value("LowerBoundFromGoal");
        period.upperBound = value("UpperBoundFromGoal");
        period.envInFlow = value("EnvInFlow") * value("SimulationTime");
        period.envOutFlow = value("EnvOutFlow") * value("SimulationTime");
        if (events.at(e, QStringLiteral("eventType")).toString() ==
            QLatin1String("Submit Clicked")) {
            period.userInFlow = value("UserInFlow");
            period.userOutFlow = value("UserOutFlow");
        }
    }
    for (const auto& [trial, period] : periods) run.periods.push_back(period);
    if (run.periods.empty())
        throw ToolError(QStringLiteral("participant '%1' has not finished a period in version '%2'")
                            .arg(subject, version));
    return run;
}

namespace {

// Round steps of 1, 2 or 5 times a power of ten, about five of them over the range.
ChartLayout::Axis NiceAxis(double low, double high, bool wholeSteps = false) {
    if (high - low < 1e-9) {
        low -= 1;
        high += 1;
    }
    const double raw = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / magnitude;
    double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * magnitude;
    if (wholeSteps) step = std::max(1.0, std::round(step));
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

double FontSize(QSize size) {
    return std::clamp(size.height() / 55.0, 8.0, 14.0);
}

}  // namespace

ChartLayout::ChartLayout(const RunData& run, QSize size) : ChartLayout(std::vector{run}, size) {}

ChartLayout::ChartLayout(const std::vector<RunData>& runs, QSize size) {
    double amountLow = runs.front().startAmount, amountHigh = amountLow;
    double flowLow = 0, flowHigh = 0;
    int lastPeriod = 1;
    for (const RunData& run : runs) {
        amountLow = std::min(amountLow, run.startAmount);
        amountHigh = std::max(amountHigh, run.startAmount);
        for (const RunPeriod& p : run.periods) {
            amountLow = std::min({amountLow, p.amount, p.goal - p.lowerBound});
            amountHigh = std::max({amountHigh, p.amount, p.goal + p.upperBound});
            flowLow = std::min({flowLow, p.userInFlow, p.userOutFlow, p.envInFlow, p.envOutFlow});
            flowHigh = std::max({flowHigh, p.userInFlow, p.userOutFlow, p.envInFlow, p.envOutFlow});
            lastPeriod = std::max(lastPeriod, p.trial);
        }
    }
    // The axis spans the run's periods exactly, whatever its tick step.
    periods_ = NiceAxis(0, lastPeriod, true);
    periods_.low = 0;
    periods_.high = lastPeriod;
    amounts_ = NiceAxis(amountLow, amountHigh);
    flows_ = NiceAxis(flowLow, flowHigh);

    const double font = FontSize(size);
    const double left = 6.5 * font, right = 1.5 * font, title = 2.6 * font;
    const double xAxis = 3.4 * font, legend = 2.4 * font, gap = 1.6 * font;
    const double plotHeight = size.height() - title - gap - xAxis - legend;
    const double width = size.width() - left - right;
    amountArea_ = QRectF(left, title, width, plotHeight * 0.6);
    flowArea_ = QRectF(left, amountArea_.bottom() + gap, width, plotHeight * 0.4);
}

namespace {

QPointF Place(const QRectF& area, const ChartLayout::Axis& x, const ChartLayout::Axis& y, double px,
              double py) {
    return {area.left() + (px - x.low) / (x.high - x.low) * area.width(),
            area.bottom() - (py - y.low) / (y.high - y.low) * area.height()};
}

}  // namespace

QPointF ChartLayout::amountPoint(double period, double amount) const {
    return Place(amountArea_, periods_, amounts_, period, amount);
}

QPointF ChartLayout::flowPoint(double period, double flow) const {
    return Place(flowArea_, periods_, flows_, period, flow);
}

namespace {

QString TickText(double value) {
    return QString::number(std::fabs(value) < 1e-12 ? 0 : value, 'g', 12);
}

// Several runs share the first run's goal and band; their lines are drawn lighter so that
// where they agree shows darker.
class ChartPainter {
  public:
    ChartPainter(const std::vector<RunData>& runs, const QString& title, QImage& image)
        : runs_(runs), title_(title), layout_(runs, image.size()), painter_(&image) {
        painter_.setRenderHint(QPainter::Antialiasing);
        QFont font = painter_.font();
        font.setPixelSize(static_cast<int>(FontSize(image.size())));
        painter_.setFont(font);
        fontSize_ = font.pixelSize();
    }

    void draw() {
        painter_.setPen(Qt::black);
        painter_.drawText(QRectF(0, 0, layout_.amountArea().right(), layout_.amountArea().top()),
                          Qt::AlignCenter, title_);
        const QString& unitName = runs_.front().units;
        const QString units =
            unitName.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(unitName);
        drawFrame(layout_.amountArea(), layout_.amounts(), QStringLiteral("Amount") + units, false);
        drawFrame(layout_.flowArea(), layout_.flows(), QStringLiteral("Flow per period") + units,
                  true);
        drawAmounts();
        drawFlows();
        drawLegend();
    }

  private:
    // Grid, axes, tick labels and the axis title of one panel.
    void drawFrame(const QRectF& area, const ChartLayout::Axis& y, const QString& title,
                   bool periodLabels) {
        const ChartLayout::Axis& x = layout_.periods();
        painter_.setPen(QPen(QColor(225, 225, 225), 1));
        for (double v = y.low; v <= y.high + y.step / 2; v += y.step) {
            const double py = Place(area, x, y, 0, v).y();
            painter_.drawLine(QPointF(area.left(), py), QPointF(area.right(), py));
            painter_.setPen(Qt::black);
            painter_.drawText(QRectF(0, py - fontSize_, area.left() - 4, 2 * fontSize_),
                              Qt::AlignRight | Qt::AlignVCenter, TickText(v));
            painter_.setPen(QPen(QColor(225, 225, 225), 1));
        }
        for (double v = x.low; v <= x.high + x.step * 1e-6; v += x.step) {
            const double px = Place(area, x, y, v, 0).x();
            painter_.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
            if (!periodLabels) continue;
            painter_.setPen(Qt::black);
            painter_.drawText(
                QRectF(px - 3 * fontSize_, area.bottom() + 2, 6 * fontSize_, 1.4 * fontSize_),
                Qt::AlignHCenter | Qt::AlignTop, TickText(v));
            painter_.setPen(QPen(QColor(225, 225, 225), 1));
        }
        painter_.setPen(QPen(Qt::black, 1));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(area);
        if (periodLabels)
            painter_.drawText(
                QRectF(area.left(), area.bottom() + 1.5 * fontSize_, area.width(), 1.6 * fontSize_),
                Qt::AlignCenter, QStringLiteral("Period"));
        painter_.save();
        painter_.translate(fontSize_ * 0.9, area.center().y());
        painter_.rotate(-90);
        painter_.drawText(QRectF(-area.height() / 2, -fontSize_, area.height(), 2 * fontSize_),
                          Qt::AlignCenter, title);
        painter_.restore();
    }

    void drawAmounts() {
        // The band and the goal hold from the start, so they begin at period 0.
        const RunData& run = runs_.front();
        QPolygonF band, goal;
        const RunPeriod& first = run.periods.front();
        band << layout_.amountPoint(0, first.goal + first.upperBound);
        goal << layout_.amountPoint(0, first.goal);
        for (const RunPeriod& p : run.periods) {
            band << layout_.amountPoint(p.trial, p.goal + p.upperBound);
            goal << layout_.amountPoint(p.trial, p.goal);
        }
        for (auto p = run.periods.rbegin(); p != run.periods.rend(); ++p)
            band << layout_.amountPoint(p->trial, p->goal - p->lowerBound);
        band << layout_.amountPoint(0, first.goal - first.lowerBound);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(kBandColour);
        painter_.drawPolygon(band);
        painter_.setPen(QPen(kGoalColour, 1.5, Qt::DashLine));
        painter_.drawPolyline(goal);
        for (const RunData& each : runs_) {
            QPolygonF amount;
            amount << layout_.amountPoint(0, each.startAmount);
            for (const RunPeriod& p : each.periods)
                amount << layout_.amountPoint(p.trial, p.amount);
            drawSeries(amount, kAmountColour);
        }
    }

    void drawFlows() {
        painter_.setPen(QPen(Qt::black, 1));
        const double zero = layout_.flowPoint(0, 0).y();
        painter_.drawLine(QPointF(layout_.flowArea().left(), zero),
                          QPointF(layout_.flowArea().right(), zero));
        const std::pair<double RunPeriod::*, QColor> series[] = {
            {&RunPeriod::envInFlow, kEnvInColour},
            {&RunPeriod::envOutFlow, kEnvOutColour},
            {&RunPeriod::userInFlow, kUserInColour},
            {&RunPeriod::userOutFlow, kUserOutColour},
        };
        for (const RunData& run : runs_) {
            for (const auto& [member, colour] : series) {
                QPolygonF line;
                for (const RunPeriod& p : run.periods)
                    line << layout_.flowPoint(p.trial, p.*member);
                drawSeries(line, colour);
            }
        }
    }

    void drawSeries(const QPolygonF& points, QColor colour) {
        if (runs_.size() > 1) colour.setAlphaF(std::max(0.08, 1.0 / std::sqrt(runs_.size())));
        painter_.setPen(QPen(colour, 1.5));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawPolyline(points);
        if (runs_.size() > 1) return;  // dots of many runs would hide the lines
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(colour);
        const double radius = std::max(2.5, fontSize_ / 3.5);
        for (const QPointF& point : points) painter_.drawEllipse(point, radius, radius);
    }

    void drawLegend() {
        const std::pair<QString, QColor> entries[] = {
            {QStringLiteral("amount"), kAmountColour},
            {QStringLiteral("goal"), kGoalColour},
            {QStringLiteral("bonus band"), kBandColour},
            {QStringLiteral("inflow ordered"), kUserInColour},
            {QStringLiteral("outflow ordered"), kUserOutColour},
            {QStringLiteral("environment inflow"), kEnvInColour},
            {QStringLiteral("environment outflow"), kEnvOutColour},
        };
        const QFontMetricsF metrics(painter_.font());
        double x = layout_.flowArea().left();
        const double y = painter_.device()->height() - 1.6 * fontSize_;
        for (const auto& [label, colour] : entries) {
            painter_.setPen(Qt::NoPen);
            painter_.setBrush(colour);
            painter_.drawRect(QRectF(x, y, fontSize_, fontSize_));
            painter_.setPen(Qt::black);
            painter_.drawText(QPointF(x + 1.4 * fontSize_, y + 0.9 * fontSize_), label);
            x += 2.4 * fontSize_ + metrics.horizontalAdvance(label);
        }
    }

    const std::vector<RunData>& runs_;
    QString title_;
    ChartLayout layout_;
    QPainter painter_;
    double fontSize_ = 10;
};

}  // namespace

QImage DrawRunsChart(const std::vector<RunData>& runs, const QString& title, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return image;  // too large to allocate
    image.fill(Qt::white);
    ChartPainter(runs, title, image).draw();
    return image;
}

QImage DrawRunChart(const RunData& run, QSize size) {
    return DrawRunsChart(
        {run}, QStringLiteral("Participant %1, version %2").arg(run.subject, run.version), size);
}

void PlotRun(const QString& databasePath, const QString& subject, const QString& version,
             const QString& pngPath, QSize size, bool withoutSimulated) {
    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadOnly);
    if (withoutSimulated && MarksSimulated(*connection) &&
        !Rows(*connection,
              QStringLiteral("SELECT 1 FROM datSubject WHERE Subject = ? AND Version = ? AND "
                             "Simulated <> 0"),
              {subject, version})
             .empty())
        throw ToolError(QStringLiteral("participant '%1' in version '%2' is simulated, and "
                                       "--no-simulated leaves simulated participants out")
                            .arg(subject, version));
    WriteChart(DrawRunChart(LoadRun(*connection, subject, version), size), size, pngPath);
}

void WriteChart(const QImage& image, QSize size, const QString& pngPath) {
    if (image.isNull())
        throw ToolError(QStringLiteral("a picture of %1 x %2 pixels is too large to draw")
                            .arg(size.width())
                            .arg(size.height()));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw ToolError(QStringLiteral("%1: cannot encode the picture").arg(pngPath));
    WriteWholeFile(pngPath, png);
}

}  // namespace tool
