#include "tool/simulated/Strategies.h"

#include <QFile>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <random>

#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "tool/common/Csv.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"

namespace tool {

namespace {

// Follows a table of orders by period; periods it does not name get no Submit.
class TableStrategy : public Strategy {
  public:
    explicit TableStrategy(std::map<int, Decision> orders) : orders_(std::move(orders)) {}
    std::optional<Decision> decide(const Run&, int period) override {
        const auto found = orders_.find(period);
        if (found == orders_.end()) return std::nullopt;
        return found->second;
    }

  private:
    std::map<int, Decision> orders_;
};

// Anchoring and adjustment: closes a share alpha of the gap between goal and amount, less a
// share beta of what is already on order; orders are whole units, never below zero.
class HeuristicStrategy : public Strategy {
  public:
    HeuristicStrategy(double alpha, double beta) : alpha_(alpha), beta_(beta) {}
    std::optional<Decision> decide(const Run& run, int) override {
        const double gap = InModelUnits(run, run.setup.GoalLinePosition) -
                           InModelUnits(run, run.state.AmountInTank);
        const double onOrder = run.state.TotalBackOrder - run.state.TotalForwardDischarge;
        const double net = std::round(alpha_ * gap - beta_ * onOrder);
        return Decision{std::max(net, 0.0), std::max(-net, 0.0), std::nullopt};
    }

  private:
    double alpha_;
    double beta_;
};

// Whole orders drawn evenly between the bounds from the run's seed.
class RandomStrategy : public Strategy {
  public:
    RandomStrategy(double low, double high, std::uint32_t seed)
        : generator_(seed),
          orders_(static_cast<long long>(std::ceil(low)),
                  static_cast<long long>(std::floor(high))) {}
    std::optional<Decision> decide(const Run&, int) override {
        const double inflow = static_cast<double>(orders_(generator_));
        const double outflow = static_cast<double>(orders_(generator_));
        return Decision{inflow, outflow, std::nullopt};
    }

  private:
    std::mt19937 generator_;
    std::uniform_int_distribution<long long> orders_;
};

class NoOrders : public Strategy {
  public:
    std::optional<Decision> decide(const Run&, int) override { return Decision{}; }
};

QString Lower(const CsvField& field) {
    return QString::fromStdString(field.value).trimmed().toLower();
}

class ScriptReader {
  public:
    explicit ScriptReader(const QString& path) : path_(path) {}

    std::map<int, Decision> read() {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly))
            throw ToolError(
                QStringLiteral("%1: cannot read the script: %2").arg(path_, file.errorString()));
        const QByteArray bytes = file.readAll();
        CsvReader reader(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), path_);
        std::vector<CsvField> record;
        if (!reader.next(record))
            throw ToolError(QStringLiteral("%1:1: the script is empty; its first line must be "
                                           "period,inflow,outflow (and optionally submit_ms)")
                                .arg(path_));
        readHeader(record, reader.line());
        std::map<int, Decision> orders;
        while (reader.next(record)) {
            line_ = reader.line();
            if (record.size() != columns_)
                fail(0, QStringLiteral("%1 values, but the header names %2 columns")
                            .arg(record.size())
                            .arg(columns_));
            const int period = static_cast<int>(wholeNumber(record, 0, 1));
            if (orders.count(period))
                fail(1, QStringLiteral("period %1 is given twice").arg(period));
            Decision& decision = orders[period];
            decision.inflow = order(record, 1);
            decision.outflow = order(record, 2);
            if (columns_ == 4 && !record[3].value.empty())
                decision.submitAfterMs = static_cast<int>(wholeNumber(record, 3, 0));
        }
        return orders;
    }

  private:
    void readHeader(const std::vector<CsvField>& header, long long line) {
        static const QStringList names = {"period", "inflow", "outflow", "submit_ms"};
        line_ = line;
        columns_ = header.size();
        if (columns_ < 3 || columns_ > 4)
            fail(0, QStringLiteral("the first line must be period,inflow,outflow (and optionally "
                                   "submit_ms)"));
        for (std::size_t i = 0; i < columns_; ++i) {
            if (Lower(header[i]) != names[static_cast<int>(i)])
                fail(i + 1,
                     QStringLiteral("'%1' where the header needs '%2'")
                         .arg(QString::fromStdString(header[i].value), names[static_cast<int>(i)]));
        }
    }

    double number(const std::vector<CsvField>& record, std::size_t column) const {
        bool ok = false;
        const QString text = QString::fromStdString(record[column].value).trimmed();
        const double value = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(value))
            fail(column + 1, QStringLiteral("'%1' is not a number").arg(text));
        return value;
    }

    double wholeNumber(const std::vector<CsvField>& record, std::size_t column,
                       double least) const {
        const double value = number(record, column);
        if (value != std::floor(value) || value < least || value > 2147483647)
            fail(column + 1, QStringLiteral("%1 must be a whole number from %2")
                                 .arg(QString::fromStdString(record[column].value).trimmed())
                                 .arg(least));
        return value;
    }

    // A participant cannot type a negative order.
    double order(const std::vector<CsvField>& record, std::size_t column) const {
        const double value = number(record, column);
        if (value < 0) fail(column + 1, QStringLiteral("an order cannot be negative"));
        return value;
    }

    // column 0: the line as a whole.
    [[noreturn]] void fail(std::size_t column, const QString& what) const {
        const QString where = QStringLiteral("%1:%2").arg(path_).arg(line_);
        if (column == 0) throw ToolError(QStringLiteral("%1: %2").arg(where, what));
        throw ToolError(QStringLiteral("%1: column %2: %3").arg(where).arg(column).arg(what));
    }

    QString path_;
    long long line_ = 0;
    std::size_t columns_ = 0;
};

// The orders of a participant's last Submit of each period, from the event log.
std::map<int, Decision> RecordedOrders(const QString& databasePath, const QString& participant,
                                       const QString& version) {
    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadOnly);
    const Rows submits(*connection,
                       QStringLiteral("SELECT Trial, UserInFlow, UserOutFlow FROM "
                                      "datExperimentTrials WHERE Subject = ? AND Version = ? AND "
                                      "eventType = 'Submit Clicked' ORDER BY EventID"),
                       {participant, version});
    if (submits.empty())
        throw ToolError(QStringLiteral("participant '%1' has no recorded Submit in version '%2'")
                            .arg(participant, version));
    std::map<int, Decision> orders;
    for (int row = 0; row < submits.size(); ++row) {
        orders[submits.at(row, QStringLiteral("Trial")).toInt()] =
            Decision{submits.at(row, QStringLiteral("UserInFlow")).toDouble(),
                     submits.at(row, QStringLiteral("UserOutFlow")).toDouble(), std::nullopt};
    }
    return orders;
}

StrategyFactory FollowTable(std::map<int, Decision> orders) {
    return [orders = std::move(orders)](std::uint32_t) {
        return std::make_unique<TableStrategy>(orders);
    };
}

}  // namespace

std::map<int, Decision> ReadScript(const QString& path) {
    return ScriptReader(path).read();
}

QString StrategyNames() {
    return QStringLiteral("scripted, replay, heuristic, naive, none, random");
}

StrategyFactory MakeStrategyFactory(const StrategyOptions& options, const QString& databasePath) {
    const QString& name = options.name;
    if (name == QLatin1String("scripted")) {
        if (options.scriptFile.isEmpty())
            throw ToolError(QStringLiteral("the scripted strategy needs --script FILE.csv"));
        return FollowTable(ReadScript(options.scriptFile));
    }
    if (name == QLatin1String("replay")) {
        if (options.participant.isEmpty())
            throw ToolError(QStringLiteral("the replay strategy needs --participant NAME"));
        return FollowTable(
            RecordedOrders(databasePath, options.participant, options.participantVersion));
    }
    if (name == QLatin1String("heuristic") || name == QLatin1String("naive")) {
        const double beta = name == QLatin1String("naive") ? 0 : options.beta;
        return [alpha = options.alpha, beta](std::uint32_t) {
            return std::make_unique<HeuristicStrategy>(alpha, beta);
        };
    }
    if (name == QLatin1String("none"))
        return [](std::uint32_t) { return std::make_unique<NoOrders>(); };
    if (name == QLatin1String("random")) {
        if (!(std::ceil(options.low) <= std::floor(options.high)) || options.low < 0)
            throw ToolError(
                QStringLiteral("random orders need bounds 0 <= --min <= --max with a "
                               "whole number between them"));
        return [low = options.low, high = options.high](std::uint32_t seed) {
            return std::make_unique<RandomStrategy>(low, high, seed);
        };
    }
    throw ToolError(QStringLiteral("unknown strategy '%1' (one of %2)").arg(name, StrategyNames()));
}

}  // namespace tool
