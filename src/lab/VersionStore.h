#pragma once
// The versions of a study as tblSetup holds them: listed, read, saved, copied and deleted,
// each change in one transaction on a connection of its own.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "config/RuleBook.h"
#include "config/Setup.h"
#include "lab/RowsModel.h"
#include "lab/Study.h"
#include "tool/common/TableData.h"
#include "tool/data/Check.h"

namespace lab {

// A version's row as stored: the first row of its name, in stored order.
struct StoredVersion {
    QString version;
    std::vector<tool::TableColumn> columns;  // tblSetup's columns as the study has them
    QVariantList values;                     // in column order

    // The cells of the row as the rule book reads them; a column the study lacks raises
    // ConfigError naming `where`.
    config::CellOf cells(const QString& where) const;
};

// "Version 'A' in tblSetup": where messages place a version's setup.
QString SetupPlace(const QString& version);

// A changed cell of a version: its column and the value to store.
using CellChange = std::pair<QString, QVariant>;

// The rows of a table that a key selects: an environment scenario's periods by its key, a
// delay scenario's segments, a version's labels.
struct RowsKey {
    QString table;
    QString column;
    QVariant value;
};

// Rows edited: they replace the rows the key selected when they were opened.
struct RowsEdit {
    RowsKey key;
    StoredRows opened;
    std::vector<QVariantList> rows;
};

class VersionStore {
  public:
    explicit VersionStore(Study study) : study_(std::move(study)) {}

    // In ascending order, as the login lists them.
    QStringList versions() const;
    // What the rule book needs besides a version's setup, as the study holds it now.
    std::shared_ptr<const tool::VersionRules> rules() const;
    // The versions whose setup column names the key, in ascending order.
    QStringList versionsWith(const QString& setupColumn, const QVariant& key) const;
    // Raises tool::ToolError when the study has no such version.
    StoredVersion read(const QString& version) const;

    // Stores the changes unless the version's row is no longer as `opened` (someone else
    // changed it meanwhile): then nothing is written and the row as it is now is returned.
    // The comparison and the writing are one transaction. A version the rule book would
    // refuse is not stored (tool::ToolError).
    // Rows edited beside it are written in the same transaction; rows someone else changed
    // meanwhile stop the save (tool::ToolError).
    std::optional<StoredVersion> save(const StoredVersion& opened,
                                      const std::vector<CellChange>& changes,
                                      const std::vector<RowsEdit>& rowsEdits = {}) const;

    // In their order (periods, segments, label numbers), with the columns the experimenter
    // edits: not the key, nor a segment's number, which is its place among the rows.
    StoredRows readRows(const RowsKey& key) const;

    // A copy of the version's row and labels under a new name (tool::ToolError when the name
    // is empty or taken).
    void copy(const QString& version, const QString& copyName) const;

    // Why the version cannot be deleted (someone registered or recorded in it), or an empty
    // text when it can.
    QString whyKept(const QString& version) const;
    // Deletes the version's rows and labels, unless whyKept says otherwise (tool::ToolError).
    void remove(const QString& version) const;

  private:
    Study study_;
};

}  // namespace lab
