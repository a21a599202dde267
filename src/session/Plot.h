#pragma once
// A participant's run as a picture: the amount per period against the goal and its bonus
// band, and the participant's orders beside the environment's flows.

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

namespace db {
class Connection;
}

namespace tool {

struct RunPeriod {
    int trial = 0;
    double amount = 0;  // at the end of the period
    double goal = 0;
    double lowerBound = 0;  // extent of the bonus band below the goal
    double upperBound = 0;
    double userInFlow = 0;  // the participant's orders of the period
    double userOutFlow = 0;
    double envInFlow = 0;  // what the environment moved in the period (rate x period length)
    double envOutFlow = 0;
};

struct RunData {
    QString subject;
    QString version;
    QString units;
    double startAmount = 0;  // before the first period
    std::vector<RunPeriod> periods;
};

// From the event log (datExperimentTrials): per period its last event, and its last Submit
// for the orders. Throws ToolError when the participant has no events in the version.
RunData LoadRun(db::Connection& connection, const QString& subject, const QString& version);

inline const QColor kAmountColour{0, 90, 200};
inline const QColor kGoalColour{0, 120, 0};
inline const QColor kBandColour{200, 235, 200};
inline const QColor kUserInColour{210, 40, 40};
inline const QColor kUserOutColour{240, 150, 0};
inline const QColor kEnvInColour{120, 60, 170};
inline const QColor kEnvOutColour{110, 110, 110};

// Where the chart puts its values: an amount panel above a flow panel, both over periods.
class ChartLayout {
  public:
    ChartLayout(const RunData& run, QSize size);
    // Axes that hold every run.
    ChartLayout(const std::vector<RunData>& runs, QSize size);

    QPointF amountPoint(double period, double amount) const;
    QPointF flowPoint(double period, double flow) const;
    const QRectF& amountArea() const { return amountArea_; }
    const QRectF& flowArea() const { return flowArea_; }

    struct Axis {
        double low = 0, high = 1, step = 1;
    };
    const Axis& periods() const { return periods_; }
    const Axis& amounts() const { return amounts_; }
    const Axis& flows() const { return flows_; }

  private:
    QRectF amountArea_, flowArea_;
    Axis periods_, amounts_, flows_;
};

// The chart of a run; a null image when no image of that size can be had.
QImage DrawRunChart(const RunData& run, QSize size);
// The chart of several runs (at least one) of a version, under a title.
QImage DrawRunsChart(const std::vector<RunData>& runs, const QString& title, QSize size);

// Writes a chart drawn at that size as a PNG; throws ToolError saying why it cannot.
void WriteChart(const QImage& image, QSize size, const QString& pngPath);

// Loads the run and writes it as a PNG; withoutSimulated refuses a simulated participant.
void PlotRun(const QString& databasePath, const QString& subject, const QString& version,
             const QString& pngPath, QSize size = QSize(1000, 700), bool withoutSimulated = false);

}  // namespace tool
