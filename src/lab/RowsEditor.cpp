#include "lab/RowsEditor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSplitter>
#include <QVBoxLayout>
#include <set>

#include "lab/Marks.h"

namespace lab {

RowsEditor::RowsEditor(RowsModel& model, QWidget* chart, QWidget* parent)
    : QWidget(parent), model_(model), add_(tr("Add ro&w")), remove_(tr("Re&move rows")) {
    grid_.setModel(&model_);
    grid_.horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_.setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_.setTabKeyNavigation(false);
    findings_.setWordWrap(true);
    findings_.setTextInteractionFlags(Qt::TextSelectableByMouse);
    caption_.setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&caption_);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(&grid_);
    if (chart) split->addWidget(chart);
    layout->addWidget(split, 1);
    layout->addWidget(&findings_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(&add_);
    buttons->addWidget(&remove_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(&add_, &QPushButton::clicked, this, &RowsEditor::addRow);
    connect(&remove_, &QPushButton::clicked, this, &RowsEditor::removeRows);
    connect(&model_, &RowsModel::judged, this, &RowsEditor::listFindings);
    listFindings();
}

void RowsEditor::takeFocus() {
    if (!grid_.currentIndex().isValid() && model_.rowCount() > 0)
        grid_.setCurrentIndex(model_.index(0, 0));
    grid_.setFocus();
}

// After the current row, or at the end.
void RowsEditor::addRow() {
    const QModelIndex current = grid_.currentIndex();
    const int row = current.isValid() ? current.row() + 1 : model_.rowCount();
    model_.insertRows(row, 1);
    grid_.setCurrentIndex(model_.index(row, 0));
    grid_.setFocus();
}

// The rows of the selected cells, or the current one; one step to undo.
void RowsEditor::removeRows() {
    std::set<int> rows;
    for (const QModelIndex& index : grid_.selectionModel()->selectedIndexes())
        rows.insert(index.row());
    if (rows.empty() && grid_.currentIndex().isValid()) rows.insert(grid_.currentIndex().row());
    if (rows.empty()) return;
    const int first = *rows.begin(), last = *rows.rbegin();
    model_.removeRows(first, last - first + 1);
}

// Every finding under the grid, a cell's named by its row and column.
void RowsEditor::listFindings() {
    QStringList lines;
    for (const config::Finding& finding : model_.findings()) {
        const bool onCell = finding.table == model_.table() && finding.row > 0;
        lines << (onCell ? tr("row %1, column %2: ").arg(finding.row).arg(finding.column)
                         : QString()) +
                     (finding.severity == config::Severity::Warns ? tr("warning: ") : QString()) +
                     Said(finding);
    }
    findings_.setText(lines.join(QLatin1Char('\n')));
    findings_.setVisible(!lines.isEmpty());
}

}  // namespace lab
