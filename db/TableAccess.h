#pragma once
// Every read and write of the experiment database goes through OpenTable, which opens the
// database, opens a recordset and owns the reaction to errors (retries with a growing,
// randomised pause that keeps the window responsive; questions to the user; ending the
// program). The caller closes the recordset and calls CloseDatabase.

#include <QString>
#include <memory>

#include "db/Dao.h"

// The program's folder followed by "/data/" and "Hydrovat.mdb".
QString DatabasePath();
// Tests and tools point the program at another file; an empty path restores the default.
void SetDatabasePathForTesting(const QString& path);

std::unique_ptr<db::Recordset> OpenTable(const QString& source, bool readOnly,
                                         const QString& status);
void CloseDatabase();

// Quotes a text for an SQL text: wrapped in single quotes, inner quotes doubled.
QString SqlText(const QString& value);
