#include "lab/RowsModel.h"

#include <QBrush>
#include <QUndoCommand>

#include "lab/Marks.h"

namespace lab {

// One edit of the rows: a cell typed (a run of keystrokes in one cell is one step), or rows
// added or taken out.
class RetypeRows : public QUndoCommand {
  public:
    RetypeRows(RowsModel& model, RowsModel::Texts before, RowsModel::Texts after, int cell)
        : model_(model), before_(std::move(before)), after_(std::move(after)), cell_(cell) {}
    int id() const override { return 2; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const RetypeRows*>(other);
        if (cell_ < 0 || next->cell_ != cell_) return false;
        after_ = next->after_;
        setObsolete(after_ == before_);
        return true;
    }
    void redo() override { model_.putTexts(after_); }
    void undo() override { model_.putTexts(before_); }

  private:
    RowsModel& model_;
    RowsModel::Texts before_, after_;
    int cell_;  // the cell typed in (row * columns + column); -1: rows added or taken out
};

RowsModel::RowsModel(QString table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)) {}

void RowsModel::load(StoredRows stored, Judge rules) {
    beginResetModel();
    undoStack_.clear();
    opened_ = std::move(stored);
    judge_ = std::move(rules);
    texts_.clear();
    for (const QVariantList& row : opened_.rows) {
        QStringList texts;
        for (std::size_t c = 0; c < opened_.columns.size(); ++c)
            texts << tool::CellText(row.value(static_cast<int>(c)), opened_.columns[c].type);
        texts_.push_back(texts);
    }
    endResetModel();
    judge();
}

int RowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(texts_.size());
}

int RowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(opened_.columns.size());
}

bool RowsModel::holds(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && !index.parent().isValid() &&
           index.row() < rowCount() && index.column() < columnCount();
}

QVariant RowsModel::data(const QModelIndex& index, int role) const {
    if (!holds(index)) return {};
    const auto severity = severityOf(index.row(), index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return texts_[static_cast<std::size_t>(index.row())][index.column()];
        case Qt::BackgroundRole:
            return severity ? QVariant(QBrush(MarkColour(*severity))) : QVariant();
        case Qt::DecorationRole:
            return severity ? QVariant(MarkIcon(*severity)) : QVariant();
        case Qt::ToolTipRole:
            return severity ? QVariant(ruleText(index.row(), index.column())) : QVariant();
        case SeverityRole:
            return severity ? QVariant(static_cast<int>(*severity)) : QVariant();
        default:
            return {};
    }
}

bool RowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!holds(index) || role != Qt::EditRole) return false;
    const QString text = value.toString();
    const std::size_t row = static_cast<std::size_t>(index.row());
    if (text == texts_[row][index.column()]) return true;
    Texts after = texts_;
    after[row][index.column()] = text;
    edit(std::move(after), index.row() * columnCount() + index.column());
    return true;
}

Qt::ItemFlags RowsModel::flags(const QModelIndex& index) const {
    if (!holds(index)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QVariant RowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= columnCount()) return {};
    const tool::TableColumn& column = opened_.columns[static_cast<std::size_t>(section)];
    return role == Qt::DisplayRole ? column.name : column.meaning;
}

bool RowsModel::insertRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || row > rowCount() || count < 1) return false;
    Texts after = texts_;
    after.insert(after.begin() + row, static_cast<std::size_t>(count),
                 QStringList(QList<QString>(columnCount())));
    edit(std::move(after), -1);
    return true;
}

bool RowsModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount()) return false;
    Texts after = texts_;
    after.erase(after.begin() + row, after.begin() + row + count);
    edit(std::move(after), -1);
    return true;
}

void RowsModel::edit(Texts after, int cell) {
    undoStack_.push(new RetypeRows(*this, texts_, std::move(after), cell));
}

void RowsModel::putTexts(const Texts& texts) {
    if (texts.size() == texts_.size()) {
        texts_ = texts;
        judge();
        return;
    }
    beginResetModel();
    texts_ = texts;
    endResetModel();
    judge();
}

std::optional<std::vector<QVariantList>> RowsModel::values() const {
    std::vector<QVariantList> rows;
    for (const QStringList& texts : texts_) {
        QVariantList row;
        for (std::size_t c = 0; c < opened_.columns.size(); ++c) {
            tool::TypedCell typed = Typed(texts[static_cast<int>(c)], opened_.columns[c].type);
            if (!typed.problem.isEmpty()) return std::nullopt;
            row << typed.value;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<double> RowsModel::numbers(const QString& column) const {
    const int c = tool::ColumnIndex(opened_.columns, column);
    std::vector<double> numbers;
    for (const QStringList& texts : texts_)
        numbers.push_back(c < 0 ? 0 : Typed(texts[c], db::ColumnType::Double).value.toDouble());
    return numbers;
}

void RowsModel::judge() {
    findings_.clear();
    for (std::size_t r = 0; r < texts_.size(); ++r) {
        for (std::size_t c = 0; c < opened_.columns.size(); ++c) {
            const tool::TypedCell typed =
                Typed(texts_[r][static_cast<int>(c)], opened_.columns[c].type);
            if (!typed.problem.isEmpty())
                findings_.push_back({config::Severity::Refuses, table_, static_cast<int>(r) + 1,
                                     opened_.columns[c].name, typed.problem});
        }
    }
    if (findings_.empty() && judge_)
        if (const auto rows = values()) findings_ = judge_(*rows);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit judged();
}

std::optional<config::Severity> RowsModel::severityOf(int row, int column) const {
    std::optional<config::Severity> worst;
    const QString& name = opened_.columns[static_cast<std::size_t>(column)].name;
    for (const config::Finding& finding : findings_) {
        if (finding.table != table_ || finding.row != row + 1 ||
            finding.column.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!worst || finding.severity != config::Severity::Warns) worst = finding.severity;
    }
    return worst;
}

QString RowsModel::ruleText(int row, int column) const {
    QStringList messages;
    const QString& name = opened_.columns[static_cast<std::size_t>(column)].name;
    for (const config::Finding& finding : findings_)
        if (finding.table == table_ && finding.row == row + 1 &&
            finding.column.compare(name, Qt::CaseInsensitive) == 0)
            messages << Said(finding);
    return messages.join(QLatin1Char('\n'));
}

QStringList RowsModel::refusals() const {
    QStringList refusals;
    for (const config::Finding& finding : findings_) {
        if (finding.severity == config::Severity::Warns) continue;
        QString place = finding.table;
        if (finding.row > 0) place += QStringLiteral(", row %1").arg(finding.row);
        if (!finding.column.isEmpty()) place += QStringLiteral(", column ") + finding.column;
        refusals << place + QStringLiteral(": ") + Said(finding);
    }
    return refusals;
}

void RowsModel::saved(StoredRows stored) {
    opened_ = std::move(stored);
    undoStack_.setClean();
    judge();
}

}  // namespace lab
