#pragma once
// A version's settings as the experimenter edits them: one row per setting of tblSetup,
// grouped by meaning, each with its unit and its meaning from the codebook. The rule book
// judges every edit as it is typed; edits are undone and redone on the model's own stack.

#include <QAbstractTableModel>
#include <QUndoStack>
#include <memory>
#include <vector>

#include "config/RuleBook.h"
#include "lab/VersionStore.h"
#include "tool/data/Check.h"

namespace lab {

class SetupModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Setting, Value, Unit, Meaning, Rule, ColumnCount };
    enum Role {
        GroupRole = Qt::UserRole + 1,  // the title of the setting's group
        SeverityRole,  // the worst finding on the setting (config::Severity), or none (invalid)
    };

    explicit SetupModel(QObject* parent = nullptr);

    // Shows a version, judged with the other tables as `rules` read them; forgets all edits.
    void load(StoredVersion stored, std::shared_ptr<const tool::VersionRules> rules);
    const StoredVersion& opened() const { return opened_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The row of a setting (its column's name in any letter case); -1 when not shown.
    int rowOf(const QString& column) const;
    bool isFlag(int row) const;

    QUndoStack& undoStack() { return undoStack_; }
    bool isModified() const { return !undoStack_.isClean(); }

    // The version as edited, read as the program reads it; none while a cell cannot be read.
    std::optional<config::SetupRow> setupRow() const;
    // What the rule book says of the version as edited, cells that cannot be read first.
    const config::Findings& findings() const { return findings_; }
    // The findings that no setting shown here carries (other tables, the version as a whole).
    config::Findings otherFindings() const;
    // What stops a save, each as "column C: message" (another table as "T, column C: ...").
    QStringList refusals() const;

    // The settings typed otherwise than the version was opened, as their columns store them.
    std::vector<CellChange> changes() const;
    // After a save: the version as now stored is what later edits are compared with.
    void saved(StoredVersion stored);
    // After someone else changed the version: their row becomes what the edits replace. The
    // settings edited here keep their edits; the others take the new values.
    void rebase(StoredVersion stored);

  signals:
    void judged();

  private:
    friend class TypeSetting;

    struct Field {
        QString column;
        db::ColumnType type;
        QString meaning;
        QString group;
        QString unit;
        int stored = 0;  // its column among the stored row's
    };

    bool holds(const QModelIndex& index) const;
    void putText(int row, const QString& text);
    void judge();
    void judgeCells(QVariantList& values);
    QString unitOf(const Field& setting) const;
    QString ruleText(int row) const;
    std::optional<config::Severity> severityOf(int row) const;
    bool attachedToSetting(const config::Finding& finding) const;
    void refreshAll();

    StoredVersion opened_;
    std::shared_ptr<const tool::VersionRules> rules_;
    std::vector<Field> settings_;
    QStringList texts_;        // as typed
    QStringList openedTexts_;  // as the opened row reads
    config::Findings findings_;
    QUndoStack undoStack_;
};

}  // namespace lab
