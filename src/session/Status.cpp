#include "session/Status.h"

#include <QBuffer>
#include <QTextStream>
#include <QThread>
#include <map>

#include "tool/common/Csv.h"
#include "tool/common/TableData.h"

namespace tool {

namespace {

// Names longer than this are cut so that a line fits a terminal.
constexpr int kNameWidth = 18;
const QString kClearScreen = QStringLiteral("\x1b[H\x1b[2J");

QString Cut(const QString& text) {
    return text.size() <= kNameWidth ? text : text.left(kNameWidth - 1) + QChar(0x2026);
}

QString Period(const SessionRun& run) {
    return QStringLiteral("%1/%2").arg(run.trial).arg(run.maxTrial);
}

QString SecondsOrDash(qint64 seconds) {
    return seconds < 0 ? QStringLiteral("-") : QString::number(seconds);
}

qint64 SecondsSinceSeen(const SessionRun& run, const QDateTime& now) {
    return run.lastSeen.isValid() ? std::max<qint64>(0, run.lastSeen.secsTo(now)) : -1;
}

// Station, participant and version are cut for a terminal.
QStringList TextLine(const SessionRun& run, const QDateTime& now) {
    QStringList cells = StatusCells(run, now);
    for (int name = 0; name < 3; ++name) cells[name] = Cut(cells[name]);
    return cells;
}

QString Aligned(const std::vector<QStringList>& lines) {
    std::vector<int> widths(lines.front().size(), 0);
    for (const QStringList& line : lines)
        for (int c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<int>(line[c].size()));
    QString text;
    for (const QStringList& line : lines) {
        QString row;
        for (int c = 0; c < line.size(); ++c)
            row += c + 1 == line.size() ? line[c] : line[c].leftJustified(widths[c] + 2);
        text += row + QLatin1Char('\n');
    }
    return text;
}

}  // namespace

QStringList StatusHeadings() {
    return {"STATION", "PARTICIPANT", "VERSION",  "PERIOD", "AMOUNT",
            "GOAL",    "BONUS",       "QUIET(S)", "STATE"};
}

QStringList StatusCells(const SessionRun& run, const QDateTime& now) {
    return {run.station.isEmpty() ? QStringLiteral("?") : run.station,
            run.subject,
            run.version,
            Period(run),
            run.hasEvents ? SessionNumber(run.amount) : QStringLiteral("-"),
            run.hasEvents ? SessionNumber(run.goal) : QStringLiteral("-"),
            run.hasEvents ? SessionNumber(run.totBonus) : QStringLiteral("-"),
            SecondsOrDash(run.secondsSinceEvent(now)),
            ConditionText(run.conditionAt(now))};
}

QString SessionSummary(const std::vector<SessionRun>& runs, const QDateTime& now) {
    std::map<int, int> counts;
    for (const SessionRun& run : runs) counts[static_cast<int>(run.conditionAt(now))] += 1;
    QStringList parts;
    for (const auto& [condition, count] : counts)
        parts << QStringLiteral("%1 %2").arg(count).arg(
            ConditionText(static_cast<RunCondition>(condition)));
    return QStringLiteral("%1 %2 at %3%4%5\n")
        .arg(runs.size())
        .arg(runs.size() == 1 ? QStringLiteral("participant") : QStringLiteral("participants"))
        .arg(now.toString(QStringLiteral("HH:mm:ss")))
        .arg(parts.isEmpty() ? QString() : QStringLiteral(": "))
        .arg(parts.join(QStringLiteral(", ")));
}

namespace {

std::vector<SessionRun> ReadSession(SessionReader& reader, const QString& path) {
    auto connection = OpenExperimentDatabase(path, db::OpenMode::ReadOnly);
    reader.read(*connection);
    return reader.runs();
}

}  // namespace

QDateTime SessionNow() {
    return QDateTime::currentDateTime();
}

QString StatusText(const std::vector<SessionRun>& runs, const QDateTime& now) {
    std::vector<QStringList> lines{StatusHeadings()};
    for (const SessionRun& run : runs) lines.push_back(TextLine(run, now));
    return (runs.empty() ? QString() : Aligned(lines)) + SessionSummary(runs, now);
}

QByteArray StatusCsv(const std::vector<SessionRun>& runs, const QDateTime& now) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CsvWriter csv(buffer);
    csv.header({"station", "participant", "version", "period", "max_trial", "amount", "goal",
                "lower_bound", "upper_bound", "bonus", "seconds_since_event", "seconds_since_seen",
                "state"});
    for (const SessionRun& run : runs) {
        csv.text(run.station);
        csv.text(run.subject);
        csv.text(run.version);
        csv.number(static_cast<long long>(run.trial));
        csv.number(static_cast<long long>(run.maxTrial));
        for (const double value :
             {run.amount, run.goal, run.lowerBound, run.upperBound, run.totBonus}) {
            if (run.hasEvents)
                csv.number(value);
            else
                csv.null();
        }
        for (const qint64 seconds : {run.secondsSinceEvent(now), SecondsSinceSeen(run, now)}) {
            if (seconds < 0)
                csv.null();
            else
                csv.number(static_cast<long long>(seconds));
        }
        csv.text(ConditionText(run.conditionAt(now)));
        csv.endRow();
    }
    csv.flush();
    return buffer.data();
}

void PrintStatus(const StatusOptions& options, QTextStream& out) {
    SessionReader reader(options.since, false);
    if (options.csv) {
        out << QString::fromUtf8(
            StatusCsv(ReadSession(reader, options.databasePath), options.now()));
        return;
    }
    for (;;) {
        const std::vector<SessionRun> runs = ReadSession(reader, options.databasePath);
        if (options.watch) out << kClearScreen;
        out << StatusText(runs, options.now());
        out.flush();
        if (!options.watch) return;
        QThread::sleep(1);
    }
}

}  // namespace tool
