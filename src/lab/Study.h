#pragma once
// The study the experimenter's window works on: an experiment database file, or a lab server's
// address. A server's password typed into the window is held here, in memory only.

#include <QString>
#include <memory>

#include "db/Engine.h"

namespace lab {

class Study {
  public:
    explicit Study(QString location) : location_(std::move(location)) {}

    // The address connections use, password included.
    const QString& location() const { return location_; }
    // The address as messages and the recent list show it: never the password.
    QString shownLocation() const;
    // The file's name, or the server's address as shown.
    QString title() const;
    bool onServer() const;

    // A connection of its own; a failure is a tool::ToolError naming the study.
    std::unique_ptr<db::Connection> open(db::OpenMode mode = db::OpenMode::ReadWrite) const;

  private:
    QString location_;
};

// A server address that carries no password of its own, so the window asks for one.
bool LacksPassword(const QString& location);

// The server address with the password as one of its parameters (percent-encoded).
QString WithPassword(const QString& location, const QString& password);

}  // namespace lab
