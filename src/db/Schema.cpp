#include "db/Schema.h"

#include <algorithm>
#include <numeric>

#include "db/Engine.h"

namespace db {

namespace {

using T = ColumnType;

// Columns that several tables share, with one meaning each.
ColumnDef Subject() {
    return {"Subject", T::Text, "participant's login name"};
}
ColumnDef Version() {
    return {"Version", T::Text, "version (condition) of the experiment"};
}
ColumnDef Date() {
    return {"Date", T::Date, "date of the recording, yyyy-MM-dd"};
}
ColumnDef Flag(const char* name, const char* meaning) {
    return {name, T::Boolean, QString::fromLatin1(meaning) + " (-1 yes, 0 no)"};
}
// Files of earlier programs lack the column; the program adds it or does without.
ColumnDef Optional(ColumnDef column) {
    column.optional = true;
    return column;
}
// Set by a continuation on the rows of an interrupted attempt at a period, which the
// continuation plays again in full; leaving these rows out gives the run as if uninterrupted.
ColumnDef Superseded() {
    return Optional(
        Flag("superseded",
             "row of an interrupted attempt at its period, which a continued run played again"));
}

// The key a station makes for each row it writes, unique in its table: a write tried again
// after its reply was lost finds its row already stored instead of storing it twice.
ColumnDef WriteKey() {
    return Optional(
        {kWriteKeyColumn, T::Text, "key of the station's write of the row, unique in the table"});
}
std::vector<IndexDef> WriteKeyUnique(const QString& table) {
    return {{table + QStringLiteral("_WriteKey"), {QLatin1String(kWriteKeyColumn)}}};
}

TableDef SetupTable() {
    return {
        "tblSetup",
        false,
        {
            {"Version", T::Text, "version key, chosen at login"},
            {"MaxTrial", T::Integer, "number of periods of the experiment"},
            {"BaseMoney", T::Double, "money the participant starts with"},
            {"numMarks", T::Integer, "number of scale marks on the tank"},
            {"InitialAmountInTank", T::Double, "stock at the start"},
            {"GoalLinePoisition", T::Double, "goal level of the stock"},
            {"InitialBackOrder", T::Double, "inflow orders on their way at the start"},
            {"InitialForwardDischarge", T::Double, "outflow orders on their way at the start"},
            {"simTimeForTP", T::Double, "simulated time of one period"},
            {"ScenarioUsed", T::Integer, "environment scenario key (tblScenarios.Scenario)"},
            {"DelayScenario", T::Integer, "delay scenario key (tblDelayScenarios.DelayScenario)"},
            {"CostUnderFlowPerAmount", T::Double, "loaded but unused: no behaviour depends on it"},
            {"CostOverFlowPerAmount", T::Double, "loaded but unused: no behaviour depends on it"},
            {"BonusAmount", T::Double, "bonus earned by a scoring period"},
            {"YUnits", T::Text, "unit name shown with amounts"},
            Flag("graphicalMode", "graphical (tank) mode; else discrete (store) mode"),
            {"userDelay", T::Integer, "user flow pause in milliseconds"},
            {"envDelay", T::Integer, "environment flow pause in milliseconds"},
            {"RHEIGHT", T::Double, "height in pixels of one person's block in discrete mode"},
            {"RWIDTH", T::Double, "width in pixels of one person's block in discrete mode"},
            {"UpperBoundFromGoal", T::Double, "bonus band above the goal"},
            {"LowerBoundFromGoal", T::Double, "bonus band below the goal"},
            {"ExperimentTimeForInstructions", T::Integer, "time allowed for instructions"},
            {"MaxNumberOfAScenarioType", T::Integer, "highest period index of the scenarios"},
            Flag("IsTimeDriven", "periods run on a clock instead of waiting for Submit"),
            Flag("IsBonusOnTimeGap", "bonus for reacting quickly instead of for the band"),
            Flag("ShowBackOrder", "show the inflow orders on their way"),
            Flag("ShowDischargeOrder", "show the outflow orders on their way"),
            Flag("ShowTimePeriods", "show the period counter"),
            {"deltaTmeBetweenEnvUsr", T::Double,
             "largest gap in ms between the environment's action and Submit that still earns the "
             "time-gap bonus"},
            {"TimeBetweenEnvTries", T::Double,
             "interval in ms of the period clock in time-driven mode"},
            {"UsrMv", T::Integer, "user flow animation interval in milliseconds"},
            {"EnvMv", T::Integer, "environment flow animation interval in milliseconds"},
            // Files made before it have no such column and run as if it were FALSE.
            Optional(Flag("OrdersDueOnce",
                          "each order falls due once, in the first period whose delay reaches "
                          "back to it; empty or FALSE: a change of delay re-aims the due period, "
                          "so a rise delivers orders again and a fall skips them (clock-paced "
                          "versions always fall due once)")),
            // Files made before it have no such column and speak English.
            Optional({"Language", T::Text,
                      "language of the participant's screens: en, de, es, fr or zh; empty: en"}),
        },
        {}};
}

TableDef ScenariosTable() {
    return {"tblScenarios",
            false,
            {
                {"Scenario", T::Integer, "environment scenario key"},
                {"Trial", T::Integer, "period number"},
                {"inFlowRateEnviron", T::Double, "environment inflow rate of the period"},
                {"outFlowRateEnviron", T::Double, "environment outflow rate of the period"},
            },
            {{"tblScenarios_Scenario", {"Scenario"}}}};
}

// Segments are taken in SegmentNumber order; files made before that column existed have
// their segments in stored order.
TableDef DelayScenariosTable() {
    return {
        "tblDelayScenarios",
        false,
        {
            {"DelayScenario", T::Integer, "delay scenario key"},
            {"inflowDelayValue", T::Double, "user inflow delay in periods during the segment"},
            {"inflowDelayLength", T::Double, "periods of the segment (inflow)"},
            {"outflowDelayValue", T::Double, "user outflow delay in periods during the segment"},
            {"outflowDelayLength", T::Double, "periods of the segment (outflow)"},
            Optional({"SegmentNumber", T::Integer,
                      "order of the segment in its delay scenario, first lowest"}),
        },
        {},
        {"SegmentNumber", "DelayScenario"}};
}

TableDef LabelsTable() {
    return {"tblLabels",
            false,
            {
                {"version", T::Text, "version the label belongs to"},
                {"LabelNumber", T::Integer, "order of the label on the scale, lowest first"},
                {"LabelName", T::Text, "caption of the scale mark"},
            },
            {{"tblLabels_version_LabelNumber", {"version", "LabelNumber"}}}};
}

TableDef PasswordsTable() {
    return {"tblPasswords",
            false,
            {
                {"username", T::Text, "experimenter's user name"},
                {"password", T::Text,
                 "that experimenter's password as a salted hash (pbkdf2-sha256$...); in files "
                 "of earlier programs the password itself"},
            },
            {}};
}

TableDef SubjectTable() {
    return {
        "datSubject",
        true,
        {
            Subject(),
            Version(),
            {"Condition", T::Text, "continuous (graphical mode) or discrete"},
            {"Major", T::Text, "participant's major"},
            {"Gender", T::Text, "Male or Female"},
            {"Age", T::Double, "participant's age in years"},
            Date(),
            {"Time", T::Time, "time of registration, hh:mm:ss"},
            Optional(Flag("Simulated", "a simulated participant played by fluxmere-db simulate")),
            Optional(
                {"Station", T::Text, "host name of the station the participant registered on"}),
        },
        {{"datSubject_Version", {"Version"}}},
        {},
        // Two stations registering one name in one version at the same moment: one wins.
        {{"datSubject_SubjectVersion", {"Subject", "Version"}}}};
}

TableDef ExperimentTrialsTable() {
    return {"datExperimentTrials",
            true,
            {
                Subject(),
                Version(),
                {"eventType", T::Text, "what happened: Submit Clicked, Environment Effect, ..."},
                {"EventID", T::Integer, "event number within the participant's run, from 1"},
                {"Trial", T::Integer, "period number (0 before the first period)"},
                Date(),
                {"Time", T::Time, "time of the event, hh:mm:ss"},
                {"CurrentCost", T::Double, "cost of the current period"},
                {"TotCost", T::Double, "accumulated cost"},
                {"UserInFlow", T::Double, "participant's inflow order of the period"},
                {"UserOutFlow", T::Double, "participant's outflow order of the period"},
                {"EnvInFlow", T::Double, "environment inflow rate of the period"},
                {"EnvOutFlow", T::Double, "environment outflow rate of the period"},
                {"BackOrder", T::Double, "inflow arriving in the period (pipeline element)"},
                {"ForwardDischarge", T::Double, "outflow leaving in the period (pipeline element)"},
                {"TotalBackOrder", T::Double, "inflow orders still on their way"},
                {"TotalForwardDischarge", T::Double, "outflow orders still on their way"},
                {"AmountInTank", T::Double, "stock after the event"},
                {"GoalAmount", T::Double, "goal level of the stock"},
                {"SimulationTime", T::Double, "simulated time of one period"},
                {"BaseMoney", T::Double, "money the participant started with"},
                {"UserInflowTP", T::Integer, "current inflow delay in periods"},
                {"UserOutflowTP", T::Integer, "current outflow delay in periods"},
                {"AfterEveryNTrials", T::Integer, "periods between decisions (always 1)"},
                Flag("IsUserInFlow", "a user inflow is running"),
                Flag("IsUserOutFlow", "a user outflow is running"),
                Flag("IsEnvInFlow", "an environment inflow is running"),
                Flag("IsEnvOutFlow", "an environment outflow is running"),
                Flag("graphicalMode", "graphical (tank) mode"),
                {"BonusAmount", T::Double, "bonus earned by a scoring period"},
                {"CurrentBonus", T::Double, "bonus of the current period"},
                {"TotBonus", T::Double, "accumulated money"},
                {"LowerBoundFromGoal", T::Double, "bonus band below the goal"},
                {"UpperBoundFromGoal", T::Double, "bonus band above the goal"},
                {"ExperimentTimeForInstructions", T::Integer, "time allowed for instructions"},
                {"MaxNumberOfAScenarioType", T::Integer, "highest period index of the scenarios"},
                Flag("IsTimeDriven", "periods run on a clock"),
                Flag("IsBonusOnTimeGap", "bonus for reacting quickly"),
                {"TimeBetweenEnvTries", T::Double,
                 "interval in ms of the period clock in time-driven mode"},
                {"deltaTmeBetweenEnvUsr", T::Double,
                 "largest gap in ms between the environment's action and Submit that still earns "
                 "the time-gap bonus"},
                Superseded(),
                WriteKey(),
            },
            {{"datExperimentTrials_Subject_Version_EventID", {"Subject", "Version", "EventID"}}},
            {},
            WriteKeyUnique("datExperimentTrials")};
}

TableDef TrialSummaryTable() {
    return {
        "datTrialSummary",
        true,
        {
            Subject(),
            Version(),
            {"Trial", T::Integer, "period number"},
            Date(),
            {"startTime", T::Time, "time the period started, hh:mm:ss"},
            {"endTime", T::Time, "time the previous period ended, hh:mm:ss"},
            {"UserInFlow", T::Double, "participant's inflow order"},
            {"UserOutFlow", T::Double, "participant's outflow order"},
            {"EnvInFlow", T::Double, "environment inflow rate of the period"},
            {"EnvOutFlow", T::Double, "environment outflow rate of the period"},
            {"AmountInTank", T::Double, "stock at the start, then at the end of the period"},
            {"GoalAmount", T::Double, "goal level of the stock"},
            {"SimulationTime", T::Double, "simulated time of one period"},
            {"BaseMoney", T::Double, "money the participant started with"},
            {"UserInflowTP", T::Integer, "inflow delay in periods"},
            {"UserOutflowTP", T::Integer, "outflow delay in periods"},
            Flag("IsUserInFlow", "a user inflow was running"),
            Flag("IsUserOutFlow", "a user outflow was running"),
            Flag("IsEnvInFlow", "an environment inflow was running"),
            Flag("IsEnvOutFlow", "an environment outflow was running"),
            Flag("graphicalMode", "graphical (tank) mode"),
            {"TotBonus", T::Double, "accumulated money"},
            {"LowerBoundFromGoal", T::Double, "bonus band below the goal"},
            {"UpperBoundFromGoal", T::Double, "bonus band above the goal"},
            {"CurrentBonus", T::Double, "bonus of the period (set at its end)"},
            {"CurrentCost", T::Double, "cost of the period (set at its end)"},
            {"TotCost", T::Double, "accumulated cost (set at the end of the period)"},
            {"BackOrder", T::Double, "inflow arriving in the period (set at its end)"},
            {"ForwardDischarge", T::Double, "outflow leaving in the period (set at its end)"},
            {"TotalBackOrder", T::Double, "inflow orders on their way (set at the end)"},
            {"TotalForwardDischarge", T::Double, "outflow orders on their way (set at the end)"},
            WriteKey(),
        },
        {{"datTrialSummary_Subject_Version_Trial", {"Subject", "Version", "Trial"}}},
        {},
        WriteKeyUnique("datTrialSummary")};
}

TableDef UserTimesSummaryTable() {
    return {"datUserTimesSummary",
            true,
            {
                Subject(),
                Version(),
                {"Trial", T::Integer, "period counter at the moment of the Submit"},
                Date(),
                {"SubmitClickTime", T::Time, "time of the Submit, hh:mm:ss"},
                Superseded(),
                WriteKey(),
            },
            {},
            {},
            WriteKeyUnique("datUserTimesSummary")};
}

// Of several open claims on one run that earlier programs left, all but the latest seen (then
// the latest stored): each was left by a login that a later one took the run over from.
QString SettleOpenClaimsSql() {
    return QStringLiteral(
        "UPDATE datRunClaims SET TakenOver = -1 WHERE Released = 0 AND TakenOver = 0 AND "
        "EXISTS (SELECT 1 FROM datRunClaims AS later WHERE later.Subject = "
        "datRunClaims.Subject AND later.Version = datRunClaims.Version AND "
        "later.Released = 0 AND later.TakenOver = 0 AND (COALESCE(later.LastSeen, '') > "
        "COALESCE(datRunClaims.LastSeen, '') OR (COALESCE(later.LastSeen, '') = "
        "COALESCE(datRunClaims.LastSeen, '') AND later.%1 > datRunClaims.%1)))");
}

// A station's claim on a participant's run: one program plays a participant at a time.
TableDef RunClaimsTable() {
    return {"datRunClaims",
            true,
            {
                Subject(),
                Version(),
                {"Station", T::Text, "host name of the station that played the run"},
                {"Claim", T::Text, "the claim's own key, made for one run of one program"},
                {"ClaimedAt", T::Text, "when the station took the run, yyyy-MM-ddThh:mm:ssZ (UTC)"},
                {"LastSeen", T::Text,
                 "when the station last confirmed it is playing the run, yyyy-MM-ddThh:mm:ssZ "
                 "(UTC); refreshed every few seconds while the program runs"},
                Flag("Released",
                     "the program gave the run up: its login was cancelled or the run ended"),
                {"Holder", T::Text,
                 "the program holding the claim: machine id, boot id and process namespace of "
                 "its computer, its process id and start time; a copy of the program on the "
                 "same computer sees by it at once whether the holder still runs"},
                Flag("TakenOver",
                     "the program holding the claim had stopped, and a later login took the run "
                     "over"),
            },
            {{"datRunClaims_Subject_Version", {"Subject", "Version"}}},
            {},
            // Two programs claiming one run at the same moment: one claim stays open.
            {{"datRunClaims_OpenClaim",
              {"Subject", "Version"},
              "Released = 0 AND TakenOver = 0",
              SettleOpenClaimsSql()}},
            true};
}

}  // namespace

bool IsTrue(const QVariant& value) {
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    return !value.isNull() && isNumber && number == -1;
}

const std::vector<TableDef>& Tables() {
    static const std::vector<TableDef> tables = {
        SetupTable(),
        ScenariosTable(),
        DelayScenariosTable(),
        LabelsTable(),
        PasswordsTable(),
        SubjectTable(),
        ExperimentTrialsTable(),
        TrialSummaryTable(),
        UserTimesSummaryTable(),
        RunClaimsTable(),
    };
    return tables;
}

const TableDef* FindTable(const QString& name) {
    for (const TableDef& table : Tables()) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0) return &table;
    }
    return nullptr;
}

QStringList MissingForTheProgram(Connection& connection) {
    QStringList missing;
    for (const TableDef& table : Tables()) {
        if (table.madeAtStartUp) continue;
        QStringList present;
        for (const ColumnInfo& column : connection.tableColumns(table.name))
            present << column.name.toLower();
        if (present.isEmpty()) {
            missing << QStringLiteral("table %1").arg(table.name);
            continue;
        }
        for (const ColumnDef& column : table.columns) {
            if (!column.optional && !present.contains(column.name.toLower()))
                missing << QStringLiteral("column %1 of table %2").arg(column.name, table.name);
        }
    }
    return missing;
}

StationRights StationRightsOn(const TableDef& table) {
    const auto named = [&](const char* name) { return table.name == QLatin1String(name); };
    QStringList every;
    for (const ColumnDef& column : table.columns) every << column.name;
    StationRights rights;
    if (!table.recorded) {
        // The experimenters' accounts are checked by the server, never read by a station.
        rights.readsEveryColumn = !named("tblPasswords");
        return rights;
    }
    rights.inserts = true;
    // Whether a name is registered, and where: never the participants' demographics.
    if (named("datSubject")) {
        rights.readColumns = {QStringLiteral("Subject"), QStringLiteral("Version"),
                              QStringLiteral("Station")};
        return rights;
    }
    rights.readsEveryColumn = true;
    // A period's summary row is rewritten when it ends or is played again.
    if (named("datTrialSummary")) {
        rights.updateColumns = every;
        return rights;
    }
    // A claim is refreshed, given up and taken over; whose run it is and who holds it stay.
    if (named("datRunClaims")) {
        rights.updateColumns = {QStringLiteral("LastSeen"), QStringLiteral("Released"),
                                QStringLiteral("TakenOver")};
        return rights;
    }
    for (const QString& column : every) {
        if (column.compare(Superseded().name, Qt::CaseInsensitive) == 0)
            rights.updateColumns << column;
    }
    return rights;
}

std::vector<TableRights> StationRightsOnEveryTable() {
    std::vector<TableRights> rights;
    for (const TableDef& table : Tables()) rights.push_back({table.name, StationRightsOn(table)});
    return rights;
}

void CreateSchema(Connection& connection) {
    Transaction transaction(connection);
    for (const TableDef& table : Tables()) connection.createTable(table);
    transaction.commit();
}

void AddMissingColumns(Connection& connection, const QString& table) {
    const TableDef* definition = FindTable(table);
    if (!definition) return;
    QStringList present;
    for (const ColumnInfo& column : connection.tableColumns(definition->name))
        present << column.name.toLower();
    for (const ColumnDef& column : definition->columns) {
        if (!present.contains(column.name.toLower()))
            connection.addColumn(definition->name, column);
    }
}

namespace {

bool HasEveryColumn(Connection& connection, const TableDef& table) {
    QStringList present;
    for (const ColumnInfo& column : connection.tableColumns(table.name))
        present << column.name.toLower();
    return std::all_of(table.columns.begin(), table.columns.end(), [&](const ColumnDef& column) {
        return present.contains(column.name.toLower());
    });
}

}  // namespace

bool SchemaIsCurrent(Connection& connection) {
    return std::all_of(Tables().begin(), Tables().end(), [&](const TableDef& table) {
        return connection.tableExists(table.name) && HasEveryColumn(connection, table) &&
               std::all_of(table.uniqueKeys.begin(), table.uniqueKeys.end(),
                           [&](const IndexDef& key) { return connection.indexExists(key.name); });
    });
}

void UpdateSchema(Connection& connection) {
    Transaction transaction(connection);
    for (const TableDef& table : Tables()) {
        if (!connection.tableExists(table.name)) connection.createTable(table);
        AddMissingColumns(connection, table.name);
    }
    transaction.commit();
    for (const TableDef& table : Tables()) AddUniqueKeys(connection, table.name);
}

void AddUniqueKeys(Connection& connection, const QString& table) {
    const TableDef* definition = FindTable(table);
    if (!definition) return;
    for (const IndexDef& key : definition->uniqueKeys) {
        // Asked first: a login that may not change the table can still find it complete.
        if (connection.indexExists(key.name)) continue;
        if (!key.settleRepeats.isEmpty())
            connection.execute(key.settleRepeats.arg(connection.rowKey()));
        QStringList columns;
        for (const QString& column : key.columns) columns << QuoteIdentifier(column);
        try {
            const QString where =
                key.where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + key.where;
            connection.changeSchema(
                QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS %1 ON %2 (%3)%4")
                    .arg(key.name, QuoteIdentifier(definition->name),
                         columns.join(QStringLiteral(", ")), where));
        } catch (const Error& error) {
            // Rows that repeat the key stay as they are; so does a key that another
            // connection made at the same moment.
            if (error.number() != errors::DuplicateKey) throw;
        }
    }
}

QString OrderOfRows(Connection& connection, const QString& table) {
    const TableDef* definition = FindTable(table);
    QString order = connection.rowKey();
    if (definition && !definition->order.column.isEmpty()) {
        for (const ColumnInfo& column : connection.tableColumns(table)) {
            if (column.name.compare(definition->order.column, Qt::CaseInsensitive) != 0) continue;
            const QString number = QuoteIdentifier(column.name);
            order = QStringLiteral("%1 IS NULL, %1, %2").arg(number, order);
            break;
        }
    }
    return QStringLiteral(" ORDER BY ") + order;
}

std::vector<int> OrderByNumber(const std::vector<QVariant>& numbers) {
    std::vector<int> rows(numbers.size());
    std::iota(rows.begin(), rows.end(), 0);
    const auto numbered = [&](int row) {
        bool isNumber = false;
        const double number = numbers[row].toDouble(&isNumber);
        return std::pair{!isNumber || numbers[row].isNull(), isNumber ? number : 0.0};
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](int a, int b) { return numbered(a) < numbered(b); });
    return rows;
}

}  // namespace db
