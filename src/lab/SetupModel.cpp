#include "lab/SetupModel.h"

#include <QBrush>
#include <QUndoCommand>

#include "lab/Marks.h"
#include "tool/common/TypedCell.h"

namespace lab {

namespace {

const QString kSetupTable = QStringLiteral("tblSetup");

// The groups of settings, by meaning, as captions with their mnemonics.
const char* const kGroups[] = {
    QT_TRANSLATE_NOOP("lab::SetupModel", "Stock and &goal"),
    QT_TRANSLATE_NOOP("lab::SetupModel", "&Periods and bonus rules"),
    QT_TRANSLATE_NOOP("lab::SetupModel", "Pacing and ti&ming"),
    QT_TRANSLATE_NOOP("lab::SetupModel", "What the screen s&hows"),
};

// Amounts are in the version's own unit (YUnits).
constexpr char kAmount[] = "";

struct Placement {
    const char* column;
    int group;
    const char* unit;
};

// Every setting of tblSetup but the version's name, in the order the form shows them.
const Placement kPlacements[] = {
    {"InitialAmountInTank", 0, kAmount},
    {"GoalLinePoisition", 0, kAmount},
    {"InitialBackOrder", 0, kAmount},
    {"InitialForwardDischarge", 0, kAmount},
    {"ScenarioUsed", 0, "key"},
    {"DelayScenario", 0, "key"},
    {"OrdersDueOnce", 0, "yes/no"},
    {"MaxTrial", 1, "periods"},
    {"MaxNumberOfAScenarioType", 1, "period"},
    {"simTimeForTP", 1, "factor"},
    {"BaseMoney", 1, "dollars"},
    {"BonusAmount", 1, "dollars"},
    {"IsBonusOnTimeGap", 1, "yes/no"},
    {"UpperBoundFromGoal", 1, kAmount},
    {"LowerBoundFromGoal", 1, kAmount},
    {"deltaTmeBetweenEnvUsr", 1, "ms"},
    {"CostUnderFlowPerAmount", 1, "dollars"},
    {"CostOverFlowPerAmount", 1, "dollars"},
    {"IsTimeDriven", 2, "yes/no"},
    {"TimeBetweenEnvTries", 2, "ms"},
    {"userDelay", 2, "ms"},
    {"envDelay", 2, "ms"},
    {"UsrMv", 2, "ms"},
    {"EnvMv", 2, "ms"},
    {"ExperimentTimeForInstructions", 2, "recorded"},
    {"graphicalMode", 3, "yes/no"},
    {"numMarks", 3, "marks"},
    {"YUnits", 3, "word"},
    {"RHEIGHT", 3, "pixels"},
    {"RWIDTH", 3, "pixels"},
    {"ShowBackOrder", 3, "yes/no"},
    {"ShowDischargeOrder", 3, "yes/no"},
    {"ShowTimePeriods", 3, "yes/no"},
    {"Language", 3, "en, de, es, fr, zh"},
};

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

// One setting typed: a run of keystrokes in the same setting is one step to undo.
class TypeSetting : public QUndoCommand {
  public:
    TypeSetting(SetupModel& model, int row, QString before, QString after)
        : model_(model), row_(row), before_(std::move(before)), after_(std::move(after)) {
        setText(model.settings_[static_cast<std::size_t>(row)].column);
    }
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const TypeSetting*>(other);
        if (next->row_ != row_) return false;
        after_ = next->after_;
        setObsolete(after_ == before_);
        return true;
    }
    void redo() override { model_.putText(row_, after_); }
    void undo() override { model_.putText(row_, before_); }

  private:
    SetupModel& model_;
    int row_;
    QString before_, after_;
};

SetupModel::SetupModel(QObject* parent) : QAbstractTableModel(parent) {}

void SetupModel::load(StoredVersion stored, std::shared_ptr<const tool::VersionRules> rules) {
    beginResetModel();
    undoStack_.clear();
    opened_ = std::move(stored);
    rules_ = std::move(rules);
    settings_.clear();
    texts_.clear();
    for (const Placement& placement : kPlacements) {
        const QString column = QString::fromLatin1(placement.column);
        const int stored = tool::ColumnIndex(opened_.columns, column);
        if (stored < 0) continue;  // a file made before the column
        const tool::TableColumn& definition = opened_.columns[static_cast<std::size_t>(stored)];
        settings_.push_back({definition.name, definition.type, definition.meaning,
                             tr(kGroups[placement.group]), QString::fromLatin1(placement.unit),
                             stored});
        texts_ << tool::CellText(opened_.values.value(stored), definition.type);
    }
    openedTexts_ = texts_;
    endResetModel();
    judge();
}

int SetupModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(settings_.size());
}

int SetupModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SetupModel::data(const QModelIndex& index, int role) const {
    if (!holds(index)) return {};
    const int row = index.row();
    const Field& setting = settings_[static_cast<std::size_t>(row)];
    const std::optional<config::Severity> severity = severityOf(row);
    if (role == GroupRole) return setting.group;
    if (role == SeverityRole) return severity ? QVariant(static_cast<int>(*severity)) : QVariant();
    switch (index.column()) {
        case Setting:
            if (role == Qt::DisplayRole) return setting.column;
            if (role == Qt::ToolTipRole) return setting.meaning;
            break;
        case Value:
            if (role == Qt::DisplayRole || role == Qt::EditRole) return texts_[row];
            if (role == Qt::CheckStateRole && isFlag(row))
                return db::IsTrue(Typed(texts_[row], setting.type).value) ? Qt::Checked
                                                                          : Qt::Unchecked;
            if (role == Qt::BackgroundRole && severity) return QBrush(MarkColour(*severity));
            if (role == Qt::DecorationRole && severity) return MarkIcon(*severity);
            if (role == Qt::ToolTipRole && severity) return ruleText(row);
            break;
        case Unit:
            if (role == Qt::DisplayRole) return unitOf(setting);
            break;
        case Meaning:
            if (role == Qt::DisplayRole) return setting.meaning;
            break;
        case Rule:
            if (role == Qt::DisplayRole && severity) return ruleText(row);
            if (role == Qt::DecorationRole && severity) return MarkIcon(*severity);
            break;
        default:
            break;
    }
    return {};
}

bool SetupModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!holds(index) || index.column() != Value) return false;
    const int row = index.row();
    QString text;
    if (role == Qt::EditRole)
        text = value.toString();
    else if (role == Qt::CheckStateRole && isFlag(row))
        text = value.toInt() == Qt::Checked ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    else
        return false;
    if (text != texts_[row]) undoStack_.push(new TypeSetting(*this, row, texts_[row], text));
    return true;
}

Qt::ItemFlags SetupModel::flags(const QModelIndex& index) const {
    if (!holds(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == Value)
        flags |= isFlag(index.row()) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return flags;
}

QVariant SetupModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Setting:
            return tr("Setting");
        case Value:
            return tr("Value");
        case Unit:
            return tr("Unit");
        case Meaning:
            return tr("Meaning");
        case Rule:
            return tr("Rule");
        default:
            return {};
    }
}

bool SetupModel::holds(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && !index.parent().isValid() &&
           index.row() < rowCount() && index.column() < ColumnCount;
}

int SetupModel::rowOf(const QString& column) const {
    for (std::size_t row = 0; row < settings_.size(); ++row)
        if (SameName(settings_[row].column, column)) return static_cast<int>(row);
    return -1;
}

bool SetupModel::isFlag(int row) const {
    return settings_[static_cast<std::size_t>(row)].type == db::ColumnType::Boolean;
}

QString SetupModel::unitOf(const Field& setting) const {
    if (!setting.unit.isEmpty()) return setting.unit;
    const int units = rowOf(QStringLiteral("YUnits"));
    const QString typed = units < 0 ? QString() : texts_[units].trimmed();
    return typed.isEmpty() ? tr("amount") : typed;
}

void SetupModel::putText(int row, const QString& text) {
    texts_[row] = text;
    judge();
}

// A cell that cannot be stored is refused as the import refuses it; the rule book reads the
// version only when every cell can be stored.
void SetupModel::judgeCells(QVariantList& values) {
    for (std::size_t row = 0; row < settings_.size(); ++row) {
        const Field& setting = settings_[row];
        if (texts_[static_cast<int>(row)] == openedTexts_[static_cast<int>(row)]) continue;
        tool::TypedCell typed = Typed(texts_[static_cast<int>(row)], setting.type);
        if (!typed.problem.isEmpty())
            findings_.push_back(
                {config::Severity::Refuses, kSetupTable, 0, setting.column, typed.problem});
        values[setting.stored] = typed.value;
    }
}

void SetupModel::judge() {
    findings_.clear();
    StoredVersion edited = opened_;
    judgeCells(edited.values);
    const QString where = SetupPlace(opened_.version);
    if (findings_.empty()) {
        for (const auto& [column, error] :
             config::UnreadableSetupColumns(edited.cells(where), where))
            findings_.push_back(
                {config::Severity::Refuses, kSetupTable, 0, column, error.message()});
    }
    if (findings_.empty() && rules_) findings_ = rules_->of(*setupRow());
    refreshAll();
    emit judged();
}

std::optional<config::SetupRow> SetupModel::setupRow() const {
    StoredVersion edited = opened_;
    for (std::size_t row = 0; row < settings_.size(); ++row) {
        const int r = static_cast<int>(row);
        if (texts_[r] == openedTexts_[r]) continue;
        const tool::TypedCell typed = Typed(texts_[r], settings_[row].type);
        if (!typed.problem.isEmpty()) return std::nullopt;
        edited.values[settings_[row].stored] = typed.value;
    }
    const QString where = SetupPlace(opened_.version);
    try {
        return config::SetupRow{opened_.version, 0,
                                config::ReadSetupRow(edited.cells(where), where)};
    } catch (const ConfigError&) {
        return std::nullopt;
    }
}

void SetupModel::refreshAll() {
    if (settings_.empty()) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

bool SetupModel::attachedToSetting(const config::Finding& finding) const {
    return finding.table == kSetupTable && rowOf(finding.column) >= 0;
}

std::optional<config::Severity> SetupModel::severityOf(int row) const {
    std::optional<config::Severity> worst;
    for (const config::Finding& finding : findings_) {
        if (finding.table != kSetupTable || !SameName(finding.column, settings_[row].column))
            continue;
        if (!worst || finding.severity != config::Severity::Warns) worst = finding.severity;
    }
    return worst;
}

QString SetupModel::ruleText(int row) const {
    QStringList messages;
    for (const config::Finding& finding : findings_)
        if (finding.table == kSetupTable && SameName(finding.column, settings_[row].column))
            messages << Said(finding);
    return messages.join(QLatin1Char('\n'));
}

config::Findings SetupModel::otherFindings() const {
    config::Findings others;
    for (const config::Finding& finding : findings_)
        if (!attachedToSetting(finding)) others.push_back(finding);
    return others;
}

QStringList SetupModel::refusals() const {
    QStringList refusals;
    for (const config::Finding& finding : findings_) {
        if (finding.severity == config::Severity::Warns) continue;
        // A setting of the version is named by its column, anything else by its table too.
        QString place = finding.table == kSetupTable ? QString() : finding.table;
        if (!finding.column.isEmpty())
            place += (place.isEmpty() ? QString() : QStringLiteral(", ")) +
                     QStringLiteral("column ") + finding.column;
        refusals << place + QStringLiteral(": ") + Said(finding);
    }
    return refusals;
}

std::vector<CellChange> SetupModel::changes() const {
    std::vector<CellChange> changes;
    for (std::size_t row = 0; row < settings_.size(); ++row) {
        const int r = static_cast<int>(row);
        if (texts_[r] == openedTexts_[r]) continue;
        const QVariant value = Typed(texts_[r], settings_[row].type).value;
        if (value != opened_.values.value(settings_[row].stored))
            changes.emplace_back(settings_[row].column, value);
    }
    return changes;
}

void SetupModel::saved(StoredVersion stored) {
    opened_ = std::move(stored);
    for (std::size_t row = 0; row < settings_.size(); ++row)
        openedTexts_[static_cast<int>(row)] =
            tool::CellText(opened_.values.value(settings_[row].stored), settings_[row].type);
    undoStack_.setClean();
    judge();
}

void SetupModel::rebase(StoredVersion stored) {
    const QStringList before = openedTexts_;
    opened_ = std::move(stored);
    for (std::size_t row = 0; row < settings_.size(); ++row) {
        const int r = static_cast<int>(row);
        openedTexts_[r] =
            tool::CellText(opened_.values.value(settings_[row].stored), settings_[row].type);
        if (texts_[r] == before[r]) texts_[r] = openedTexts_[r];
    }
    judge();
}

}  // namespace lab
