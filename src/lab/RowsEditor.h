#pragma once
// Rows of a table edited in a grid: rows added and taken out by buttons, the rule book's
// findings marked on the cells and listed under them, and an optional chart beside.

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include "lab/RowsModel.h"

namespace lab {

class RowsEditor : public QWidget {
    Q_OBJECT

  public:
    // The chart, if any, goes under the grid and is the editor's child from then on.
    RowsEditor(RowsModel& model, QWidget* chart = nullptr, QWidget* parent = nullptr);

    QTableView& grid() { return grid_; }
    // What the rows are, above the grid.
    void setCaption(const QString& caption) { caption_.setText(caption); }
    QString caption() const { return caption_.text(); }
    // The keyboard into the grid, at its first cell unless a cell is current.
    void takeFocus();
    const QLabel& findings() const { return findings_; }

  private:
    void addRow();
    void removeRows();
    void listFindings();

    RowsModel& model_;
    QLabel caption_;
    QTableView grid_;
    QPushButton add_, remove_;
    QLabel findings_;
};

}  // namespace lab
