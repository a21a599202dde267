// lock_questions_8: the lock questions shown while 8 station processes record 60 event-log
// rows each through the program's own recording code into one database file, a row every
// 300 ms (a period of six events in under two seconds, as a quick participant plays), and
// two `fluxmere-db export`s of that file run one after another the whole time. The file holds an
// earlier session's 100,000 events, so that every export holds its reads for a while.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/Figure.h"
#include "db/Engine.h"
#include "db/Schema.h"

namespace {

constexpr int kStations = 8;
constexpr int kExporters = 2;
constexpr int kEvents = 60;
constexpr int kPauseMilliseconds = 300;
constexpr int kEarlierEvents = 100000;
// A bound on the whole run, far above what it takes, so that a hung station cannot hang it.
constexpr int kLongestMilliseconds = 300000;

void MakeDatabase(const QString& path) {
    db::Connection connection(path, db::DatabasePassword(), db::OpenMode::Create);
    db::CreateSchema(connection);
    db::Statement insert = connection.prepare(
        QStringLiteral("INSERT INTO datExperimentTrials (Subject, Version, eventType, EventID, "
                       "Trial, AmountInTank, TotBonus) VALUES (?, 'TankP', 'After Cost "
                       "Calculation', ?, ?, 42.5, 1.25)"));
    connection.beginWrite();
    for (int event = 0; event < kEarlierEvents; ++event) {
        insert.reset();
        insert.bindText(1, "Earlier " + std::to_string(event / 240));
        insert.bindInt(2, event % 240 + 1);
        insert.bindInt(3, event % 240 / 6);
        insert.step();
    }
    connection.commit();
}

// Exports the file again and again until stopped.
class Exporter {
  public:
    Exporter(const QString& database, const QString& folder)
        : arguments_{QStringLiteral("export"), database, folder, QStringLiteral("--overwrite")} {
        process_.setStandardOutputFile(QProcess::nullDevice());
        QObject::connect(&process_, &QProcess::finished, [this] {
            if (!stopped_) start();
        });
        start();
    }
    void stop() {
        stopped_ = true;
        process_.waitForFinished(-1);
    }

  private:
    void start() { process_.start(QStringLiteral(FLUXMERE_DB), arguments_); }
    QStringList arguments_;
    QProcess process_;
    bool stopped_ = false;
};

double LockQuestions() {
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("Hydrovat.mdb"));
    MakeDatabase(database);
    std::vector<std::unique_ptr<Exporter>> exporters;
    for (int e = 1; e <= kExporters; ++e)
        exporters.push_back(std::make_unique<Exporter>(
            database, folder.filePath(QStringLiteral("export%1").arg(e))));
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int s = 1; s <= kStations; ++s) {
        auto station = std::make_unique<QProcess>();
        station->setStandardOutputFile(QProcess::nullDevice());
        station->start(QStringLiteral(FX_STATION_PLAYER),
                       {database, QStringLiteral("Station %1").arg(s), QString::number(kEvents),
                        QString::number(kPauseMilliseconds)});
        stations.push_back(std::move(station));
    }
    const QDeadlineTimer deadline(kLongestMilliseconds);
    int questions = 0;
    for (auto& station : stations) {
        // The exporters restart from the event loop, which waiting here would starve.
        while (station->state() != QProcess::NotRunning && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (station->state() != QProcess::NotRunning) {
            // Held that long, a participant would have called the experimenter: one question.
            station->kill();
            station->waitForFinished(-1);
            ++questions;
        }
        const QByteArray asked = station->readAllStandardError();
        std::fputs(asked.constData(), stderr);
        questions += int(asked.count("question: "));
    }
    for (auto& exporter : exporters) exporter->stop();
    return questions;
}

}  // namespace

FX_VALUE(lock_questions_8, LockQuestions);
