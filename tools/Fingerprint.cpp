#include "tools/Fingerprint.h"

#include <QBuffer>
#include <QCryptographicHash>

#include "tools/Csv.h"
#include "tools/CsvExport.h"
#include "tools/TableData.h"

namespace tool {

namespace {

struct Slice {
    const char* table;
    const char* where;
};

// Each slice selects its rows by the version, through the setup row the program would load.
constexpr Slice kSlices[] = {
    {"tblSetup", "Version = ?1 ORDER BY rowid LIMIT 1"},
    {"tblScenarios",
     "Scenario = (SELECT ScenarioUsed FROM tblSetup WHERE Version = ?1 ORDER BY rowid LIMIT 1) "
     "ORDER BY rowid"},
    {"tblDelayScenarios",
     "DelayScenario = (SELECT DelayScenario FROM tblSetup WHERE Version = ?1 ORDER BY rowid "
     "LIMIT 1) ORDER BY rowid"},
    {"tblLabels", "version = ?1 ORDER BY rowid"},
};

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
        db::Statement select = connection.prepare(
            SelectColumns(table, columns) + QStringLiteral(" WHERE ") + QLatin1String(slice.where));
        select.bind(1, version);
        WriteCsvHeader(columns, writer);
        while (select.step()) WriteCsvRow(select, columns, writer);
    }
    writer.flush();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex());
}

}  // namespace tool
