#pragma once
// A fresh experiment database in a temporary folder, with every table, for the life of the
// object.

#include <QString>
#include <QTemporaryDir>

class TempDatabase {
  public:
    // In a new folder inside `parent`: the system's temporary folder unless told otherwise
    // (a RAM disk for tests that record many rows).
    explicit TempDatabase(const QString& parent = QString());
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const QString& path() const { return path_; }
    // Runs SQL on the file through a connection of its own (fixtures, checks).
    void execute(const QString& sql) const;

  private:
    QTemporaryDir dir_;
    QString path_;
};
