#pragma once
// New experiment databases: an empty one with every table, and the demo database.

#include <QString>
#include <memory>

namespace db {
class Connection;
}

namespace tool {

// Creates the file (or the database on a server) with every table and returns it open;
// refuses one that exists, so that no experiment's data is ever overwritten.
std::unique_ptr<db::Connection> CreateNewDatabase(const QString& path);

// Removes a database file that failed while it was being made.
void DiscardNewDatabase(const QString& path);

// An empty database with every table.
void CreateDatabase(const QString& path);

// The demo database: four versions (tank and store, participant-paced and time-driven,
// both bonus rules), their scenarios, delay scenarios and labels, and the experimenter
// account kDemoUser / kDemoPassword.
void CreateDemoDatabase(const QString& path);

inline constexpr const char* kDemoUser = "experimenter";
inline constexpr const char* kDemoPassword = "fluxmere";

}  // namespace tool
