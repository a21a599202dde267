#include "tool/simulated/Simulate.h"

#include <QDateTime>
#include <QFile>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "access/TableAccess.h"
#include "config/ConfigError.h"
#include "config/RuleBook.h"
#include "config/Scenarios.h"
#include "config/ScreenSetup.h"
#include "config/Setup.h"
#include "core/Rounding.h"
#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "db/Schema.h"
#include "recording/RecordWriter.h"
#include "recording/Resume.h"
#include "runtime/Clock.h"
#include "runtime/NumberText.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "task/EntryFilter.h"
#include "task/HeadlessPlayer.h"
#include "task/PeriodModel.h"
#include "tool/common/Csv.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"

namespace tool {

namespace {

// Nobody sits at a simulated station: what the program would ask stops the run instead, and
// the run's transaction takes back what it wrote.
class NobodyToAsk : public runtime::Questions {
  public:
    runtime::Answer ask(const runtime::Question& question) override {
        throw ToolError(
            QStringLiteral("the run stopped at a question: %1").arg(OneLine(question.text)));
    }
};

}  // namespace

QString OneLine(QString message) {
    return message.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

void PrepareFreshRun(Run& run, const QString& version) {
    run.state.Version = version;
    try {
        LoadSetup(run);
        LoadDelayScenario(run);
        BuildDelaySchedule(run);
        RequireRunnableVersion(run);
    } catch (const ConfigError& error) {
        throw ToolError(OneLine(error.message()));
    }
    // The login ends the program on these; there is no program here to end.
    const config::Findings initialOrders = config::InitialOrderRules(
        {version, 0, run.setup}, run.state.UserInflowTP, run.state.UserOutflowTP);
    if (!initialOrders.empty()) throw ToolError(OneLine(initialOrders.front().message));
    SizeArray(run.state.BackOrder, run.setup.MaxTrial + 1L);
    SizeArray(run.state.ForwardDischarge, run.setup.MaxTrial + 1L);
    run.state.CurrentTrial = 0;
    run.state.Condition =
        run.setup.graphicalMode ? QStringLiteral("continuous") : QStringLiteral("discrete");
    InitRun(run);
}

namespace {

// The order as a participant types it; what the box would refuse stops the run.
QString OrderText(const Run& run, double order, const char* flow) {
    const QString text = runtime::Plain(order);
    if (!entry::IsValidEntry(text, run.setup.graphicalMode) || text.size() > entry::kMaxEntryLength)
        throw ToolError(QStringLiteral("period %1: the %2 %3 cannot be typed into the order box of "
                                       "version '%4' (%5 at most %6 characters)")
                            .arg(run.state.CurrentTrial + (run.setup.IsTimeDriven ? 0 : 1))
                            .arg(QLatin1String(flow), text, run.state.Version,
                                 run.setup.graphicalMode
                                     ? QStringLiteral("digits and one point,")
                                     : QStringLiteral("whole numbers in a store version,"))
                            .arg(entry::kMaxEntryLength));
    return text;
}

void TypeAndSubmit(Run& run, period::HeadlessPlayer& player, const Decision& decision) {
    player.type(OrderText(run, decision.inflow, "inflow"),
                OrderText(run, decision.outflow, "outflow"));
    player.submit();
}

void PlayPaced(Run& run, period::HeadlessPlayer& player, Strategy& strategy) {
    while (!player.ended()) {
        TypeAndSubmit(run, player,
                      strategy.decide(run, run.state.CurrentTrial + 1).value_or(Decision{}));
        player.playUntil([&] { return player.submitOffered(); });
        if (!player.ended() && !player.submitOffered()) return;  // stalled; the caller names it
    }
}

void PlayTimeDriven(Run& run, period::HeadlessPlayer& player, Strategy& strategy,
                    int submitAfterMs) {
    for (int period = 1; period <= run.setup.MaxTrial && !player.ended(); ++period) {
        player.playUntil([&] { return run.state.CurrentTrial >= period; });
        if (player.ended() || run.state.CurrentTrial != period) continue;
        const std::optional<Decision> decision = strategy.decide(run, period);
        if (!decision) continue;
        player.playTo(player.now() + decision->submitAfterMs.value_or(submitAfterMs));
        if (run.state.CurrentTrial != period || !player.submitOffered()) continue;
        TypeAndSubmit(run, player, *decision);
    }
    player.playToEnd();
}

// What a run's scorings show: per period its last one.
class RunObserver {
  public:
    RunObserver(const Run& run, PilotRun& result) : run_(run), result_(result) {
        result_.path.startAmount = InModelUnits(run_, run_.state.AmountInTank);
    }

    void scored() {
        const int trial = run_.state.CurrentTrial;
        const double amount = InModelUnits(run_, run_.state.AmountInTank);
        const double goal = InModelUnits(run_, run_.setup.GoalLinePosition);
        const period::EnvironmentRates rates = period::CurrentEnvironmentRates(run_);
        const double length = run_.setup.simTimeForTP;
        periods_[trial] = {trial,
                           amount,
                           goal,
                           run_.setup.LowerBoundFromGoal,
                           run_.setup.UpperBoundFromGoal,
                           ElementOrZero(run_.state.UserInFlow, trial),
                           ElementOrZero(run_.state.UserOutFlow, trial),
                           rates.acts ? rates.in * length : 0,
                           rates.acts ? rates.out * length : 0};
        inBand_[trial] = period::EarnsBandBonus(run_, run_.state.AmountInTank);
        result_.largestDeviation = std::max(result_.largestDeviation, std::fabs(amount - goal));
    }

    void finish() {
        for (const auto& [trial, period] : periods_) result_.path.periods.push_back(period);
        result_.periodsInBand = static_cast<int>(std::count_if(
            inBand_.begin(), inBand_.end(), [](const auto& entry) { return entry.second; }));
        result_.finalAmount = InModelUnits(run_, run_.state.AmountInTank);
        result_.earned = RoundAwayFromZero(run_.state.TotBonus, 1);
    }

  private:
    const Run& run_;
    PilotRun& result_;
    std::map<int, RunPeriod> periods_;
    std::map<int, bool> inBand_;
};

// The registration row of a simulated participant, marked as such.
void RecordSimulatedSubject(Run& run) {
    const QString table = QStringLiteral("datSubject");
    InsertRecord(run, table, QStringLiteral("Recording a simulated participant"),
                 [&run](db::TableRow& row) {
                     row.set(QStringLiteral("Subject"), run.state.SubjectName);
                     row.set(QStringLiteral("Version"), run.state.Version);
                     row.set(QStringLiteral("Condition"), run.state.Condition);
                     row.set(QStringLiteral("Date"), run.Today());
                     row.set(QStringLiteral("Time"), run.TimeText());
                     SetFlag(row, QStringLiteral("Simulated"), true);
                 });
}

// Registered names of the version in lower case; a recorded run never joins another's rows.
QSet<QString> RegisteredSubjects(Run& run, const QString& version) {
    db::Rows rows = ReadRows(
        run, QStringLiteral("select Subject from datSubject where Version=") + SqlText(version),
        QStringLiteral("Reading the registered participants"));
    QSet<QString> names;
    for (; !rows.atEnd(); rows.next())
        names.insert(rows.value(QStringLiteral("Subject")).toString().toLower());
    return names;
}

// The same local time at a fixed offset from UTC: the simulated clock asks for the time at
// every step, and moving a local time means a look-up in the time zone each time.
QDateTime FixedOffset(const QDateTime& local) {
    return local.toOffsetFromUtc(local.offsetFromUtc());
}

class PilotSession {
  public:
    PilotSession(const SimulateOptions& options, Progress& progress)
        : options_(options),
          progress_(progress),
          start_(
              FixedOffset(options.start.isValid() ? options.start : QDateTime::currentDateTime())) {
        fresh_.session.databasePath = options.databasePath;
        fresh_.asks = &nobody_;
    }

    Pilot run() {
        // A file that is missing or no experiment database is named as the other commands name
        // it, before the program's own loading would ask about it.
        OpenExperimentDatabase(options_.databasePath, db::OpenMode::ReadOnly);
        const StrategyFactory strategies =
            MakeStrategyFactory(options_.strategy, options_.databasePath);
        PrepareFreshRun(fresh_, options_.version);
        if (options_.record) prepareRecording();
        std::vector<PlayedRun> played(static_cast<std::size_t>(options_.runs));
        progress_.start(QStringLiteral("playing %1").arg(options_.version), options_.runs);
        const int completed = playAll(played, strategies);
        if (progress_.cancelled()) {
            if (options_.record && completed > 0)
                throw runFailed(completed + 1, QStringLiteral("cancelled"));
            throw Cancelled();
        }
        progress_.finish();
        Pilot pilot{options_.version, options_.strategy.name, {}, 0};
        // In the order of the runs: the first that failed is named, as one job names it.
        for (PlayedRun& run : played) {
            if (run.failure) std::rethrow_exception(run.failure);
            pilot.runs.push_back(std::move(run.result));
            pilot.periodsPlayed += run.periods;
        }
        return pilot;
    }

  private:
    struct PlayedRun {
        PilotRun result;
        long periods = 0;
        std::exception_ptr failure;
    };

    // Each job takes the next run in turn and plays it on a run value of its own; after a
    // failure no job takes another, and every run taken before it is played to its end. A
    // recorded run holds the database's write lock for its whole transaction, so recorded
    // runs are played one at a time. Cancel stops every job before its next run; the calling
    // thread's job reports the runs played, and once more at the end those the other jobs
    // played after its last report (they may have played them all). Returns how many were.
    int playAll(std::vector<PlayedRun>& played, const StrategyFactory& strategies) {
        std::atomic<int> next{1};
        std::atomic<int> completed{0};
        std::atomic<bool> failed{false};
        int reported = 0;
        const auto job = [&](bool reports) {
            Run run = fresh_;
            for (int n = next++; n <= options_.runs && !failed && !progress_.cancelled();
                 n = next++) {
                PlayedRun& slot = played[static_cast<std::size_t>(n - 1)];
                run.state = fresh_.state;
                try {
                    slot.result = playNumbered(run, n, strategies);
                    slot.periods = run.state.CurrentTrial;
                    const int done = ++completed;
                    if (reports) progress_.advance(reported = done);
                } catch (...) {
                    slot.failure = std::current_exception();
                    failed = true;
                }
            }
        };
        const int jobs = options_.record ? 1 : std::clamp(options_.jobs, 1, options_.runs);
        std::vector<std::thread> others;
        for (int j = 1; j < jobs; ++j) others.emplace_back(job, false);
        job(true);
        for (std::thread& other : others) other.join();
        if (reported < completed && !failed) progress_.advance(completed);
        return completed;
    }

    void prepareRecording() {
        {
            auto connection =
                OpenExperimentDatabase(options_.databasePath, db::OpenMode::ReadWrite);
            db::AddMissingColumns(*connection, QStringLiteral("datSubject"));
            db::AddUniqueKeys(*connection, QStringLiteral("datSubject"));
        }
        const QSet<QString> taken = RegisteredSubjects(fresh_, options_.version);
        for (int n = 1; n <= options_.runs; ++n) {
            const QString name =
                SimulatedSubject(options_, options_.seed + static_cast<std::uint32_t>(n - 1));
            if (taken.contains(name.toLower()))
                throw ToolError(QStringLiteral("participant '%1' is already registered in version "
                                               "'%2'; choose another --subject or --seed; "
                                               "nothing was recorded")
                                    .arg(name, options_.version));
        }
    }

    // A failing run is named; with --record it leaves nothing, the runs before it stay.
    PilotRun playNumbered(Run& run, int n, const StrategyFactory& strategies) {
        PilotRun result;
        result.number = n;
        result.seed = options_.seed + static_cast<std::uint32_t>(n - 1);
        result.path.version = options_.version;
        result.path.subject = SimulatedSubject(options_, result.seed);
        result.path.units = run.setup.YUnits;
        try {
            playOne(run, result, *strategies(result.seed));
        } catch (const ToolError& error) {
            throw runFailed(n, error.message());
        } catch (const runtime::ProgramEnded&) {
            throw runFailed(n, QStringLiteral("the run ended the program"));
        }
        if (options_.record) result.subject = result.path.subject;
        return result;
    }

    ToolError runFailed(int n, const QString& why) const {
        QString recorded;
        if (options_.record)
            recorded = n == 1 ? QStringLiteral("; nothing of the run was recorded")
                              : QStringLiteral(
                                    "; nothing of the run was recorded (runs 1 to "
                                    "%1 were)")
                                    .arg(n - 1);
        return ToolError(QStringLiteral("run %1, %2%3").arg(n).arg(why, recorded));
    }

    void playOne(Run& run, PilotRun& result, Strategy& strategy) {
        run.state.SubjectName = result.path.subject;
        std::optional<ScopedRecordingOff> notRecorded;
        // A recorded run is stored whole or not at all, on the connection its job keeps for
        // every run it plays.
        std::optional<db::Transaction> recorded;
        if (options_.record) {
            recorded.emplace(RunConnection(run));
        } else {
            notRecorded.emplace(run);
        }
        period::HeadlessPlayer player(run, start_);
        if (options_.record) RecordSimulatedSubject(run);
        RunObserver observer(run, result);
        player.onScore([&](const period::Score&) { observer.scored(); });
        if (run.setup.IsTimeDriven) {
            PlayTimeDriven(run, player, strategy, options_.submitAfterMs);
        } else {
            PlayPaced(run, player, strategy);
        }
        if (!player.ended())
            throw ToolError(QStringLiteral("the run stopped in period %1 without ending")
                                .arg(run.state.CurrentTrial));
        observer.finish();
        if (recorded) recorded->commit();
    }

    const SimulateOptions& options_;
    Progress& progress_;
    NobodyToAsk nobody_;
    Run fresh_;  // the version loaded, before its first period
    QDateTime start_;
};

QString Figure(double value, int decimals = 3) {
    return QString::number(value, 'f', decimals);
}

struct Column {
    const char* title;
    int decimals;  // of a run's figure; summaries always show three
    std::function<double(const PilotRun&)> value;
};

const std::vector<Column>& FigureColumns() {
    static const std::vector<Column> columns = {
        {"final_amount", 3, [](const PilotRun& r) { return r.finalAmount; }},
        {"periods_in_band", 0, [](const PilotRun& r) { return r.periodsInBand; }},
        {"earned", 2, [](const PilotRun& r) { return r.earned; }},
        {"largest_deviation", 3, [](const PilotRun& r) { return r.largestDeviation; }},
    };
    return columns;
}

QString Cell(const QString& text, int width) {
    return text.rightJustified(width);
}

}  // namespace

QString SimulatedSubject(const SimulateOptions& options, std::uint32_t seed) {
    return QStringLiteral("%1-%2-%3").arg(options.subjectPrefix, options.strategy.name).arg(seed);
}

Summary Summarise(const std::vector<double>& values) {
    Summary summary;
    if (values.empty()) return summary;
    summary.minimum = *std::min_element(values.begin(), values.end());
    summary.maximum = *std::max_element(values.begin(), values.end());
    double sum = 0;
    for (const double v : values) sum += v;
    summary.mean = sum / static_cast<double>(values.size());
    if (values.size() > 1) {
        double squares = 0;
        for (const double v : values) squares += (v - summary.mean) * (v - summary.mean);
        summary.spread = std::sqrt(squares / static_cast<double>(values.size() - 1));
    }
    return summary;
}

Pilot Simulate(const SimulateOptions& options, Progress& progress) {
    return PilotSession(options, progress).run();
}

Pilot Simulate(const SimulateOptions& options) {
    NoProgress quiet;
    return Simulate(options, quiet);
}

void PrintPilot(const Pilot& pilot, QTextStream& out) {
    constexpr int kWidth = 18;
    out << "version " << pilot.version << ", strategy " << pilot.strategy << ", "
        << pilot.runs.size() << (pilot.runs.size() == 1 ? " run" : " runs") << ", "
        << pilot.periodsPlayed << " periods\n\n";
    out << Cell(QStringLiteral("run"), 5) << Cell(QStringLiteral("seed"), 11);
    for (const Column& column : FigureColumns()) out << Cell(QLatin1String(column.title), kWidth);
    out << "  recorded as\n";
    for (const PilotRun& run : pilot.runs) {
        out << Cell(QString::number(run.number), 5) << Cell(QString::number(run.seed), 11);
        for (const Column& column : FigureColumns())
            out << Cell(Figure(column.value(run), column.decimals), kWidth);
        out << "  " << (run.subject.isEmpty() ? QStringLiteral("-") : run.subject) << '\n';
    }
    if (pilot.runs.size() < 2) return;
    out << '\n';
    const std::pair<const char*, double Summary::*> rows[] = {{"mean", &Summary::mean},
                                                              {"spread", &Summary::spread},
                                                              {"minimum", &Summary::minimum},
                                                              {"maximum", &Summary::maximum}};
    for (const auto& [name, member] : rows) {
        out << Cell(QLatin1String(name), 16);
        for (const Column& column : FigureColumns()) {
            std::vector<double> values;
            for (const PilotRun& run : pilot.runs) values.push_back(column.value(run));
            out << Cell(Figure(Summarise(values).*member), kWidth);
        }
        out << '\n';
    }
}

void WritePilotCsv(const Pilot& pilot, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ToolError(QStringLiteral("%1: cannot write: %2").arg(path, file.errorString()));
    CsvWriter csv(file);
    for (const char* title : {"version", "strategy", "run", "seed", "subject"}) csv.plain(title);
    for (const Column& column : FigureColumns()) csv.plain(column.title);
    csv.endRow();
    for (const PilotRun& run : pilot.runs) {
        csv.text(pilot.version);
        csv.text(pilot.strategy);
        csv.number(static_cast<long long>(run.number));
        csv.number(static_cast<long long>(run.seed));
        if (run.subject.isEmpty()) {
            csv.null();
        } else {
            csv.text(run.subject);
        }
        for (const Column& column : FigureColumns()) csv.number(column.value(run));
        csv.endRow();
    }
    csv.flush();
}

QImage DrawPilot(const Pilot& pilot, QSize size) {
    std::vector<RunData> paths;
    for (const PilotRun& run : pilot.runs) {
        if (!run.path.periods.empty()) paths.push_back(run.path);
    }
    if (paths.empty()) throw ToolError(QStringLiteral("no run finished a period; nothing to plot"));
    const QString title =
        QStringLiteral("Version %1, strategy %2, %3 %4")
            .arg(pilot.version, pilot.strategy)
            .arg(paths.size())
            .arg(paths.size() == 1 ? QStringLiteral("run") : QStringLiteral("runs"));
    return DrawRunsChart(paths, title, size);
}

void PlotPilot(const Pilot& pilot, const QString& pngPath, QSize size) {
    WriteChart(DrawPilot(pilot, size), size, pngPath);
}

}  // namespace tool
