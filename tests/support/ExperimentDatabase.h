#pragma once
// A temporary experiment database with helpers to set up versions, delay scenarios,
// environment scenarios, labels and registered participants, and to read recorded rows.

#include <QString>
#include <QVariant>
#include <map>
#include <vector>

#include "tests/support/TempDatabase.h"

class ExperimentDatabase : public TempDatabase {
  public:
    using Row = std::map<QString, QVariant>;
    using TempDatabase::TempDatabase;

    // A complete tblSetup row (12 periods, discrete mode, delay scenario 1, scenario 1);
    // each override is an SQL literal.
    void addVersion(const QString& version, const std::map<QString, QString>& overrides = {}) const;
    // One segment (row) of a delay scenario; segments count in the order they are added.
    void addDelaySegment(int delayScenario, double inValue, double inLength, double outValue,
                         double outLength) const;
    void addRate(int scenario, int trial, double in, double out) const;
    // `count` labels "step", "2*step", ... for the version.
    void addLabels(const QString& version, int count, double step) const;
    void registerSubject(const QString& subject, const QString& version) const;
    // An event row of a participant's run; further columns as SQL literals.
    void addEvent(const QString& subject, const QString& version, int eventID, int trial,
                  const std::map<QString, QString>& columns = {}) const;

    // The rows of a query, each column by name; with inStoredOrder, the rows of a query without
    // ORDER BY are taken in the order they were stored.
    std::vector<Row> rows(const QString& sql, bool inStoredOrder = false) const;
    std::vector<Row> storedRows(const QString& sql) const { return rows(sql, true); }
};

// A text as an SQL literal.
QString Literal(const QString& text);
