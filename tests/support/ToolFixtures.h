#pragma once
// Small helpers of the tool's tests: files, the demo database, queries.

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include "db/Engine.h"
#include "tool/cli/CommandLine.h"
#include "tool/common/Progress.h"
#include "tool/common/TableData.h"
#include "tool/data/Create.h"

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(bytes);
}

// fluxmere-db with these arguments after the command's name and the database's path; what
// it prints goes to output and errors, which are emptied first.
inline int RunToolOn(const QString& databasePath, const QStringList& arguments, QString& output,
                     QString& errors,
                     const std::function<QDateTime()>& now = QDateTime::currentDateTime) {
    output.clear();
    errors.clear();
    QTextStream out(&output);
    QTextStream err(&errors);
    return tool::RunTool(QStringList{arguments.front(), databasePath} + arguments.mid(1), out, err,
                         now);
}

// What one run of fluxmere-db gave: its exit code and what it printed.
struct ToolRun {
    int code;
    QString out, err;
};

inline ToolRun Tool(const QStringList& arguments) {
    ToolRun run{0, {}, {}};
    QTextStream out(&run.out), err(&run.err);
    run.code = tool::RunTool(arguments, out, err);
    out.flush();
    err.flush();
    return run;
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

// The values of one column of a query, as text, in row order; with inStoredOrder, the rows
// of a query without ORDER BY are taken in the order they were stored.
inline QStringList Column(const QString& databasePath, const QString& sql,
                          bool inStoredOrder = false) {
    auto connection = tool::OpenExperimentDatabase(databasePath, db::OpenMode::ReadOnly);
    db::Statement statement = connection->prepare(
        inStoredOrder ? sql + QStringLiteral(" ORDER BY ") + connection->rowKey() : sql);
    QStringList values;
    while (statement.step())
        values << (statement.isNull(0) ? QStringLiteral("NULL") : statement.value(0).toString());
    return values;
}

inline QStringList StoredColumn(const QString& databasePath, const QString& sql) {
    return Column(databasePath, sql, true);
}

// Any text, whether it changes the tables or only rows: every connection forgets what it knew
// of the tables.
inline void Execute(const QString& databasePath, const QString& sql) {
    auto connection = tool::OpenExperimentDatabase(databasePath, db::OpenMode::ReadWrite);
    connection->changeSchema(sql);
}

// Cancel pressed once the work has reported that many rows (or runs) of a piece of work, from
// the work's own report, as a window's Cancel would be seen there.
class CancelAfter : public tool::NoProgress {
  public:
    explicit CancelAfter(long long rows) : rows_(rows) {}
    long long reported() const { return reported_; }

  protected:
    void advanced(long long done) override {
        reported_ = done;
        if (done >= rows_) cancel();
    }

  private:
    long long rows_;
    long long reported_ = 0;
};

// A demo database in a folder of its own.
class DemoDatabase {
  public:
    DemoDatabase() : path_(dir_.filePath(QStringLiteral("demo.mdb"))) {
        tool::CreateDemoDatabase(path_);
    }
    const QString& path() const { return path_; }
    QString file(const QString& name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
    QString path_;
};

// A recorded event log of rows events that fills most of the file.
inline void RecordEvents(const QString& databasePath, int rows) {
    Execute(databasePath, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                         "FROM n WHERE i < %1) INSERT INTO datExperimentTrials "
                                         "(Subject, Version, EventID, eventType) SELECT "
                                         "'Participant ' || (i / 100), 'TankP', i, 'Submit "
                                         "Clicked' FROM n")
                              .arg(rows));
}
