#include "tool/data/Fingerprint.h"

#include <QBuffer>
#include <QCryptographicHash>

#include "tool/common/Csv.h"
#include "tool/common/TableData.h"
#include "tool/csv/CsvExport.h"

namespace tool {

namespace {

struct Slice {
    const char* table;
    const char* where;  // %1 selects the setup row the program would load for the version
    bool manyRows;      // taken in the table's order of rows
};

// Each slice selects its rows by the version, through the setup row the program would load.
constexpr Slice kSlices[] = {
    {"tblSetup", "%1", false},
    {"tblScenarios", "Scenario = (SELECT ScenarioUsed FROM tblSetup WHERE %1)", true},
    {"tblDelayScenarios", "DelayScenario = (SELECT DelayScenario FROM tblSetup WHERE %1)", true},
    {"tblLabels", "version = ?1", true},
};

QString SliceSql(db::Connection& connection, const Slice& slice,
                 const std::vector<TableColumn>& columns) {
    const QString table = QString::fromLatin1(slice.table);
    const QString setupRow =
        QStringLiteral("Version = ?1 ORDER BY %1 LIMIT 1").arg(connection.rowKey());
    return SelectColumns(table, columns) + QStringLiteral(" WHERE ") +
           QString::fromLatin1(slice.where).replace(QStringLiteral("%1"), setupRow) +
           (slice.manyRows ? db::OrderOfRows(connection, table) : QString());
}

}  // namespace

QString ConfigurationFingerprint(db::Connection& connection, const QString& version) {
    if (Rows(connection, QStringLiteral("SELECT 1 FROM tblSetup WHERE Version = ? LIMIT 1"),
             {version})
            .empty())
        return QString();
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    CsvWriter writer(buffer);
    for (const Slice& slice : kSlices) {
        const QString table = QString::fromLatin1(slice.table);
        const std::vector<TableColumn> columns = ColumnsOf(connection, table);
        writer.plain(slice.table);
        writer.endRow();
        db::Statement select = connection.prepare(SliceSql(connection, slice, columns));
        select.bind(1, version);
        WriteCsvHeader(columns, writer);
        while (select.step()) WriteCsvRow(select, columns, writer);
    }
    writer.flush();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex());
}

}  // namespace tool
