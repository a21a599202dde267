#include "lab/SetupForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace lab {

namespace {

QColor TextColour(const QVariant& severity) {
    return severity.toInt() == static_cast<int>(config::Severity::Warns) ? QColor(128, 80, 0)
                                                                         : QColor(170, 0, 0);
}

}  // namespace

SetupForm::SetupForm(SetupModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    new QVBoxLayout(this);
    layout()->setContentsMargins(0, 0, 0, 0);
    connect(&model_, &QAbstractItemModel::modelReset, this, &SetupForm::rebuild);
    connect(&model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                showRows(first.row(), last.row());
            });
    rebuild();
}

void SetupForm::rebuild() {
    delete content_;
    lines_.clear();
    content_ = new QWidget(this);
    auto* boxes = new QVBoxLayout(content_);
    boxes->setContentsMargins(0, 0, 0, 0);
    QGridLayout* grid = nullptr;
    QString group;
    for (int row = 0; row < model_.rowCount(); ++row) {
        const QString rowGroup = model_.index(row, 0).data(SetupModel::GroupRole).toString();
        if (!grid || rowGroup != group) {
            group = rowGroup;
            auto* box = new QGroupBox(group, content_);
            grid = new QGridLayout(box);
            grid->setColumnStretch(3, 1);
            // The same columns in every box, so that the editors line up.
            grid->setColumnMinimumWidth(0, widestText(SetupModel::Setting));
            grid->setColumnMinimumWidth(2, widestText(SetupModel::Unit));
            boxes->addWidget(box);
        }
        lines_.push_back(addLine(*grid, row));
    }
    boxes->addStretch();
    layout()->addWidget(content_);
    showRows(0, model_.rowCount() - 1);
}

int SetupForm::widestText(int column) const {
    int widest = 0;
    for (int row = 0; row < model_.rowCount(); ++row)
        widest = std::max(
            widest, fontMetrics().horizontalAdvance(model_.index(row, column).data().toString()));
    return widest;
}

SetupForm::Line SetupForm::addLine(QGridLayout& grid, int row) {
    Line line;
    const int at = grid.rowCount();
    auto* name = new QLabel(model_.index(row, SetupModel::Setting).data().toString());
    grid.addWidget(name, at, 0);
    const QModelIndex value = model_.index(row, SetupModel::Value);
    if (model_.isFlag(row)) {
        line.flag = new QCheckBox;
        connect(line.flag, &QCheckBox::clicked, this, [this, value](bool checked) {
            model_.setData(value, checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
        });
        name->setBuddy(line.flag);
        grid.addWidget(line.flag, at, 1);
    } else {
        line.text = new QLineEdit;
        line.text->setFixedWidth(line.text->fontMetrics().averageCharWidth() * 16);
        line.mark = line.text->addAction(QIcon(), QLineEdit::TrailingPosition);
        line.text->installEventFilter(this);
        connect(line.text, &QLineEdit::textEdited, this,
                [this, value](const QString& text) { model_.setData(value, text); });
        name->setBuddy(line.text);
        grid.addWidget(line.text, at, 1);
    }
    line.unit = new QLabel;
    grid.addWidget(line.unit, at, 2);
    auto* meaning = new QLabel(model_.index(row, SetupModel::Meaning).data().toString());
    meaning->setWordWrap(true);
    meaning->setForegroundRole(QPalette::PlaceholderText);
    grid.addWidget(meaning, at, 3);
    line.message = new QLabel;
    line.message->setWordWrap(true);
    line.message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid.addWidget(line.message, at + 1, 1, 1, 3);
    return line;
}

void SetupForm::showRows(int first, int last) {
    for (int row = std::max(first, 0); row <= last && row < static_cast<int>(lines_.size()); ++row)
        showRow(row);
}

void SetupForm::showRow(int row) {
    Line& line = lines_[static_cast<std::size_t>(row)];
    const QModelIndex value = model_.index(row, SetupModel::Value);
    const QVariant severity = value.data(SetupModel::SeverityRole);
    const QIcon icon = value.data(Qt::DecorationRole).value<QIcon>();
    QWidget* editor = line.text ? static_cast<QWidget*>(line.text) : line.flag;
    QPalette palette = editor->parentWidget()->palette();
    if (severity.isValid()) {
        const QColor marked = value.data(Qt::BackgroundRole).value<QBrush>().color();
        palette.setColor(QPalette::Base, marked);
        palette.setColor(QPalette::Button, marked);
    }
    editor->setPalette(palette);
    if (line.text) {
        if (line.text->text() != value.data().toString())
            line.text->setText(value.data().toString());
        line.mark->setIcon(icon);
        line.mark->setVisible(severity.isValid());
        line.mark->setToolTip(value.data(Qt::ToolTipRole).toString());
    } else {
        line.flag->setChecked(value.data(Qt::CheckStateRole).toInt() == Qt::Checked);
        line.flag->setIcon(icon);
    }
    line.unit->setText(model_.index(row, SetupModel::Unit).data().toString());
    const QString rule = model_.index(row, SetupModel::Rule).data().toString();
    line.message->setText(rule);
    line.message->setVisible(!rule.isEmpty());
    QPalette messagePalette = line.message->palette();
    messagePalette.setColor(QPalette::WindowText, TextColour(severity));
    line.message->setPalette(messagePalette);
}

QWidget* SetupForm::editor(const QString& column) const {
    const int row = model_.rowOf(column);
    if (row < 0) return nullptr;
    const Line& line = lines_[static_cast<std::size_t>(row)];
    return line.text ? static_cast<QWidget*>(line.text) : line.flag;
}

QWidgetList SetupForm::editors() const {
    QWidgetList editors;
    for (const Line& line : lines_)
        editors << (line.text ? static_cast<QWidget*>(line.text) : line.flag);
    return editors;
}

const QLabel* SetupForm::message(const QString& column) const {
    const int row = model_.rowOf(column);
    return row < 0 ? nullptr : lines_[static_cast<std::size_t>(row)].message;
}

// Ctrl+Z in a setting undoes the version's last edit, not the line's own typing, so that one
// stack holds every edit.
bool SetupForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lab
