#pragma once
// A small chart over the periods: lines (the environment's flows) or steps (the delays), each
// series in its colour and named in a legend.

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <vector>

namespace lab {

class PeriodPlot : public QWidget {
    Q_OBJECT

  public:
    struct Series {
        QString name;
        QColor colour;
        std::vector<QPointF> points;  // x: the period
        bool steps = false;           // each value holds until the next point
    };

    explicit PeriodPlot(QWidget* parent = nullptr);

    void setSeries(std::vector<Series> series);
    const std::vector<Series>& series() const { return series_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<Series> series_;
};

}  // namespace lab
