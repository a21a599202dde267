#pragma once
// A version's settings as a form: a box per group, each setting on a line with its editor,
// its unit and its meaning, and under it the rule's message while the rule book marks it.

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <vector>

#include "lab/SetupModel.h"

namespace lab {

class SetupForm : public QWidget {
    Q_OBJECT

  public:
    explicit SetupForm(SetupModel& model, QWidget* parent = nullptr);

    // The editor of a setting: a QLineEdit, or a QCheckBox for a yes/no setting; null when
    // the version has no such setting.
    QWidget* editor(const QString& column) const;
    // Every editor, in the form's order.
    QWidgetList editors() const;
    // The rule's message under a setting (hidden while none).
    const QLabel* message(const QString& column) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Line {
        QLineEdit* text = nullptr;
        QCheckBox* flag = nullptr;
        QAction* mark = nullptr;
        QLabel* unit = nullptr;
        QLabel* message = nullptr;
    };

    void rebuild();
    int widestText(int column) const;
    Line addLine(QGridLayout& grid, int row);
    void showRows(int first, int last);
    void showRow(int row);

    SetupModel& model_;
    QWidget* content_ = nullptr;
    std::vector<Line> lines_;
};

}  // namespace lab
