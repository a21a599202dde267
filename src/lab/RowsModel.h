#pragma once
// Rows of one table that belong together (an environment scenario's periods, a delay
// scenario's segments, a version's labels), edited as typed cells: each cell read as CSV
// import reads it, the rule book's findings marked on the cells, edits undone and redone.

#include <QAbstractTableModel>
#include <QUndoStack>
#include <functional>
#include <optional>
#include <vector>

#include "config/RuleBook.h"
#include "tool/common/TableData.h"

namespace lab {

// The rows as stored, each in the order of the columns.
struct StoredRows {
    std::vector<tool::TableColumn> columns;
    std::vector<QVariantList> rows;
};

class RowsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Role { SeverityRole = Qt::UserRole + 1 };
    // What the rule book says of the rows as their columns would store them; a finding's row
    // is the row's number from 1.
    using Judge = std::function<config::Findings(const std::vector<QVariantList>& rows)>;

    explicit RowsModel(QString table, QObject* parent = nullptr);

    void load(StoredRows stored, Judge rules);
    const StoredRows& opened() const { return opened_; }
    const QString& table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Empty rows, and rows taken out, each one step to undo.
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    QUndoStack& undoStack() { return undoStack_; }
    bool isModified() const { return !undoStack_.isClean(); }

    // The rows as their columns store them; none while a cell cannot be stored.
    std::optional<std::vector<QVariantList>> values() const;
    // A column's values, row by row (0 where a cell holds no number).
    std::vector<double> numbers(const QString& column) const;
    // What stops a save, each as "T, row R, column C: message".
    QStringList refusals() const;
    const config::Findings& findings() const { return findings_; }
    // After a save: the rows as now stored are what later edits are compared with.
    void saved(StoredRows stored);
    // Asks the rule book again (the version's setup changed).
    void judge();

  signals:
    void judged();

  private:
    friend class RetypeRows;
    using Texts = std::vector<QStringList>;

    bool holds(const QModelIndex& index) const;
    void edit(Texts after, int cell);
    void putTexts(const Texts& texts);
    std::optional<config::Severity> severityOf(int row, int column) const;
    QString ruleText(int row, int column) const;

    QString table_;
    StoredRows opened_;
    Judge judge_;
    Texts texts_;
    config::Findings findings_;
    QUndoStack undoStack_;
};

}  // namespace lab
