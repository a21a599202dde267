#include "monitor/SessionMonitor.h"

#include <QFont>
#include <QHeaderView>
#include <QPainter>
#include <QPolygonF>
#include <QVBoxLayout>
#include <algorithm>

#include "db/Engine.h"
#include "db/Location.h"
#include "session/Plot.h"
#include "session/Status.h"

namespace tool {

namespace {

const QSize kPathSize(180, 40);
// A read waits this long at most for a station's commit; a longer one is tried next time.
constexpr int kBusyWaitMs = 200;
// Slices of events per refresh, so that a large file is taken in over a few refreshes and the
// window answers in between.
constexpr int kSlicesPerRefresh = 5;

const QColor kStalledColour{255, 205, 205};
const QColor kFinishedColour{205, 235, 205};
const QColor kResumedColour{255, 240, 200};

QColor RowColour(RunCondition condition) {
    switch (condition) {
        case RunCondition::Stalled:
            return kStalledColour;
        case RunCondition::Finished:
            return kFinishedColour;
        case RunCondition::Resumed:
            return kResumedColour;
        default:
            return QColor();
    }
}

}  // namespace

QPixmap DrawRunPath(const SessionRun& run, QSize size) {
    QPixmap picture(size);
    picture.fill(Qt::white);
    if (!run.hasEvents) return picture;
    double low = std::min({run.startAmount, run.goal - run.lowerBound});
    double high = std::max({run.startAmount, run.goal + run.upperBound});
    for (const auto& [trial, amount] : run.amountAfter) {
        low = std::min(low, amount);
        high = std::max(high, amount);
    }
    if (high - low < 1e-9) high = low + 1;
    const double periods =
        std::max(run.maxTrial, run.amountAfter.empty() ? 1 : run.amountAfter.rbegin()->first);
    const double margin = 3;
    const auto x = [&](double period) {
        return margin + period / periods * (size.width() - 2 * margin);
    };
    const auto y = [&](double amount) {
        return size.height() - margin -
               (amount - low) / (high - low) * (size.height() - 2 * margin);
    };
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(x(0), y(run.goal + run.upperBound)),
                            QPointF(x(periods), y(run.goal - run.lowerBound))),
                     kBandColour);
    painter.setPen(QPen(kGoalColour, 1, Qt::DashLine));
    painter.drawLine(QPointF(x(0), y(run.goal)), QPointF(x(periods), y(run.goal)));
    QPolygonF path{QPointF(x(0), y(run.startAmount))};
    for (const auto& [trial, amount] : run.amountAfter) path << QPointF(x(trial), y(amount));
    painter.setPen(QPen(kAmountColour, 1.6));
    painter.drawPolyline(path);
    return picture;
}

SessionMonitor::SessionMonitor(QString location, QDateTime since, int intervalMs, QWidget* parent)
    : QWidget(parent), location_(std::move(location)), reader_(std::move(since), false) {
    setWindowTitle(QStringLiteral("Fluxmere session: %1").arg(db::LocationForMessages(location_)));
    QStringList headings = StatusHeadings();
    headings << QStringLiteral("PATH");
    table_.setColumnCount(static_cast<int>(headings.size()));
    table_.setHorizontalHeaderLabels(headings);
    table_.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_.setSelectionMode(QAbstractItemView::NoSelection);
    table_.verticalHeader()->hide();
    table_.verticalHeader()->setDefaultSectionSize(kPathSize.height() + 6);
    table_.horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&table_);
    layout->addWidget(&statusLine_);
    resize(1100, 420);
    connect(&poll_, &QTimer::timeout, this, &SessionMonitor::refresh);
    poll_.start(intervalMs);
    listenForRecordings();
    QTimer::singleShot(0, this, &SessionMonitor::refresh);
}

void SessionMonitor::listenForRecordings() {
    try {
        // An idle session that only listens: it holds no lock and reads no table.
        listener_.emplace(location_, db::DatabasePassword(), db::OpenMode::ReadOnly, kBusyWaitMs);
        const int socket = listener_->recordingSocket();
        if (socket < 0) {
            listener_.reset();
            return;
        }
        told_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        connect(told_.get(), &QSocketNotifier::activated, this, &SessionMonitor::recordingsTold);
    } catch (const db::Error&) {
        listener_.reset();  // the poll names what is wrong and keeps trying
    }
}

void SessionMonitor::recordingsTold() {
    try {
        if (listener_->recordedSinceAsked()) refresh();
    } catch (const db::Error&) {
        // The server went away: the poll carries on alone.
        told_.reset();
        listener_.reset();
    }
}

void SessionMonitor::refresh() {
    const QDateTime now = now_();
    try {
        bool complete = false;
        {
            db::Connection connection(location_, db::DatabasePassword(), db::OpenMode::ReadOnly,
                                      kBusyWaitMs);
            complete = reader_.read(connection, kSlicesPerRefresh);
        }
        showRuns(reader_.runs(), now);
        if (!complete) QTimer::singleShot(0, this, &SessionMonitor::refresh);
    } catch (const db::Error& error) {
        // The stations come first: a busy or vanished file is tried again at the next poll.
        statusLine_.setText(
            QStringLiteral("%1: %2 (trying again)")
                .arg(now.toString(QStringLiteral("HH:mm:ss")), error.description()));
    }
}

void SessionMonitor::showRuns(const std::vector<SessionRun>& runs, const QDateTime& now) {
    table_.setRowCount(static_cast<int>(runs.size()));
    for (std::size_t row = 0; row < runs.size(); ++row)
        showRow(static_cast<int>(row), runs[row], now);
    table_.resizeColumnsToContents();
    statusLine_.setText(SessionSummary(runs, now).trimmed());
}

void SessionMonitor::showRow(int row, const SessionRun& run, const QDateTime& now) {
    const RunCondition condition = run.conditionAt(now);
    const QStringList cells = StatusCells(run, now);
    const QColor colour = RowColour(condition);
    QFont font = table_.font();
    font.setBold(colour.isValid());
    for (int column = 0; column <= cells.size(); ++column) {
        auto* item = new QTableWidgetItem(column < cells.size() ? cells[column] : QString());
        if (column == cells.size()) item->setData(Qt::DecorationRole, DrawRunPath(run, kPathSize));
        if (colour.isValid()) item->setBackground(colour);
        item->setFont(font);
        table_.setItem(row, column, item);
    }
}

}  // namespace tool
