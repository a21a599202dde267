#include "bench/EventLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QUuid>
#include <string>

#include "db/Engine.h"
#include "db/Schema.h"

namespace fxbench {

namespace {

// Twelve participants' worth of realistic event rows: texts, whole numbers, fractions, flags.
void FillEventLog(db::Connection& connection) {
    const db::TableDef& table = *db::FindTable(QStringLiteral("datExperimentTrials"));
    QStringList names, places;
    for (const db::ColumnDef& column : table.columns) {
        names << db::QuoteIdentifier(column.name);
        places << QStringLiteral("?");
    }
    db::Statement insert =
        connection.prepare(QStringLiteral("INSERT INTO datExperimentTrials (%1) VALUES (%2)")
                               .arg(names.join(u','), places.join(u',')));
    const std::string events[] = {"Submit Clicked", "Environment Effect", "No User Effect",
                                  "User Inflow",    "User Outflow",       "After Cost Calculation"};
    connection.beginWrite();
    for (long long i = 0; i < kEventLogRows; ++i) {
        const std::string subject =
            "Participant " + std::to_string(i / 1000) + (i % 7 == 0 ? ", O'Brien" : "");
        char time[16];
        std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", (i / 3600) % 24, (i / 60) % 60,
                      i % 60);
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const int position = static_cast<int>(c + 1);
            const db::ColumnDef& column = table.columns[c];
            switch (column.type) {
                case db::ColumnType::Text:
                    if (column.name == QLatin1String("Subject"))
                        insert.bindText(position, subject);
                    else if (column.name == QLatin1String("eventType"))
                        insert.bindText(position, events[i % 6]);
                    else if (column.name == QLatin1String(db::kWriteKeyColumn))
                        insert.bindText(
                            position,
                            QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString());
                    else
                        insert.bindText(position, i % 2 ? "TankP" : "StoreT");
                    break;
                case db::ColumnType::Integer:
                    insert.bindInt(position, (i % 1000) / 6 + static_cast<long long>(c));
                    break;
                case db::ColumnType::Double:
                    insert.bindDouble(position,
                                      40.0 + static_cast<double>((i * 7 + c) % 1000) * 0.125 - 0.3);
                    break;
                case db::ColumnType::Boolean:
                    insert.bindInt(position, (i + c) % 3 == 0 ? -1 : 0);
                    break;
                case db::ColumnType::Date:
                    insert.bindText(position, "2026-12-10");
                    break;
                case db::ColumnType::Time:
                    insert.bindText(position, time);
                    break;
            }
        }
        insert.step();
        insert.reset();
    }
    connection.commit();
}

bool HasFullEventLog(const QString& path) {
    if (!QFile::exists(path)) return false;
    try {
        db::Connection connection(path, db::DatabasePassword(), db::OpenMode::ReadOnly);
        if (connection.tableColumns(QStringLiteral("datExperimentTrials")).size() !=
            db::FindTable(QStringLiteral("datExperimentTrials"))->columns.size())
            return false;
        db::Statement count =
            connection.prepare(QStringLiteral("SELECT count(*) FROM datExperimentTrials"));
        return count.step() && count.intValue(0) == kEventLogRows;
    } catch (const db::Error&) {
        return false;
    }
}

}  // namespace

const QString& EventLogDatabase() {
    static const QString path = [] {
        const QString file =
            QCoreApplication::applicationDirPath() + QStringLiteral("/export-1M.mdb");
        if (!HasFullEventLog(file)) {
            QFile::remove(file);
            db::Connection connection(file, db::DatabasePassword(), db::OpenMode::Create);
            db::CreateSchema(connection);
            FillEventLog(connection);
        }
        return file;
    }();
    return path;
}

}  // namespace fxbench
