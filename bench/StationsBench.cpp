// stations_16_lost: 16 station processes record 500 event-log rows each through the
// program's own recording code into one lab server at once; the rows lost or written twice.
// stations_16_p95_ms: the 95th percentile of one recording's time under that load.
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "bench/BenchServer.h"
#include "bench/Figure.h"
#include "db/Engine.h"

namespace {

constexpr int kStations = 16;
constexpr int kEvents = 500;

struct Load {
    long long lostOrTwice = 0;
    double p95Milliseconds = 0;
};

// Rows a station should have but has not, or has more than once, by EventID.
long long LostOrTwice(const QString& location) {
    db::Connection connection(location, QString(), db::OpenMode::ReadOnly);
    db::Statement count = connection.prepare(
        QStringLiteral("SELECT Subject, count(*), count(DISTINCT EventID) FROM datExperimentTrials "
                       "GROUP BY Subject"));
    long long wrong = 0;
    int subjects = 0;
    while (count.step()) {
        ++subjects;
        wrong += std::abs(kEvents - count.intValue(2)) + (count.intValue(1) - count.intValue(2));
    }
    return wrong + (kStations - subjects) * kEvents;
}

Load PlayStations() {
    const QString location = NewServerDatabase(QStringLiteral("fx_bench_stations"));
    const QString player = QStringLiteral(FX_STATION_PLAYER);
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int s = 1; s <= kStations; ++s) {
        auto station = std::make_unique<QProcess>();
        station->start(player,
                       {location, QStringLiteral("station %1").arg(s), QString::number(kEvents)});
        stations.push_back(std::move(station));
    }
    std::vector<double> times;
    for (auto& station : stations) {
        station->waitForFinished(-1);
        for (const QByteArray& line : station->readAllStandardOutput().split('\n'))
            if (!line.isEmpty()) times.push_back(line.toDouble());
    }
    std::sort(times.begin(), times.end());
    Load load;
    load.lostOrTwice = LostOrTwice(location);
    if (!times.empty()) load.p95Milliseconds = times[std::size_t(0.95 * double(times.size() - 1))];
    return load;
}

const Load& Played() {
    static const Load load = PlayStations();
    return load;
}

double Lost() {
    return double(Played().lostOrTwice);
}
double P95() {
    return Played().p95Milliseconds;
}

}  // namespace

FX_VALUE(stations_16_lost, Lost);
FX_VALUE(stations_16_p95_ms, P95);
