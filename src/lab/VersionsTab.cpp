#include "lab/VersionsTab.h"

#include <QAction>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "config/ConfigError.h"
#include "db/Error.h"
#include "tool/common/ToolError.h"

namespace lab {

namespace {

const QString kTitle = QStringLiteral("Fluxmere Lab");

// A finding as check prints it: "tblLabels, column LabelName: warning: ...".
QString AsChecked(const config::Finding& finding) {
    QString place = finding.table;
    if (!finding.column.isEmpty()) place += QStringLiteral(", column ") + finding.column;
    const QString tag =
        finding.severity == config::Severity::Warns ? QStringLiteral("warning: ") : QString();
    return place + QStringLiteral(": ") + tag +
           (finding.forExperimenter.isEmpty() ? finding.message : finding.forExperimenter);
}

// The columns whose values differ between two readings of a row.
QStringList ChangedColumns(const StoredVersion& before, const StoredVersion& after) {
    QStringList changed;
    for (std::size_t c = 0; c < after.columns.size(); ++c) {
        const int index = static_cast<int>(c);
        if (before.values.value(index) != after.values.value(index))
            changed << after.columns[c].name;
    }
    return changed;
}

}  // namespace

VersionsTab::VersionsTab(const Study& study, QWidget* parent)
    : QWidget(parent),
      store_(study),
      save_(tr("Sav&e")),
      undo_(tr("&Undo")),
      redo_(tr("&Redo")),
      copy_(tr("&Copy...")),
      delete_(tr("De&lete...")) {
    buildLayout();
    addShortcuts();
    fillList(QString());
}

void VersionsTab::buildLayout() {
    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* listLabel = new QLabel(tr("Versio&ns:"));
    listLabel->setBuddy(&list_);
    left->addWidget(listLabel);
    left->addWidget(&list_);
    left->addWidget(&copy_);
    left->addWidget(&delete_);
    list_.setMaximumWidth(list_.fontMetrics().averageCharWidth() * 28);
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    form_ = new SetupForm(model_);
    scroll->setWidget(form_);
    right->addWidget(scroll, 1);
    for (QLabel* label : {&others_, &told_}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        right->addWidget(label);
    }
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {&save_, &undo_, &redo_}) buttons->addWidget(button);
    buttons->addStretch();
    right->addLayout(buttons);
    columns->addLayout(right, 1);

    connect(&list_, &QListWidget::currentTextChanged, this, &VersionsTab::versionChosen);
    connect(&save_, &QPushButton::clicked, this, &VersionsTab::saveAsked);
    connect(&undo_, &QPushButton::clicked, &model_.undoStack(), &QUndoStack::undo);
    connect(&redo_, &QPushButton::clicked, &model_.undoStack(), &QUndoStack::redo);
    connect(&copy_, &QPushButton::clicked, this, &VersionsTab::askCopyName);
    connect(&delete_, &QPushButton::clicked, this, &VersionsTab::askDelete);
    connect(&model_.undoStack(), &QUndoStack::canUndoChanged, &undo_, &QWidget::setEnabled);
    connect(&model_.undoStack(), &QUndoStack::canRedoChanged, &redo_, &QWidget::setEnabled);
    connect(&model_, &SetupModel::judged, this, &VersionsTab::showOtherFindings);
    // After the form has made its editors for the version: the keyboard goes through them
    // between the list's buttons and Save.
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        QWidget* previous = &delete_;
        for (QWidget* editor : form_->editors()) {
            setTabOrder(previous, editor);
            previous = editor;
        }
        setTabOrder(previous, &save_);
        setTabOrder(&save_, &undo_);
        setTabOrder(&undo_, &redo_);
    });
    undo_.setEnabled(false);
    redo_.setEnabled(false);
}

void VersionsTab::addShortcuts() {
    const auto add = [this](const QList<QKeySequence>& keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    add({QKeySequence::Save}, [this] { saveAsked(); });
    add({QKeySequence::Undo}, [this] { model_.undoStack().undo(); });
    add({QKeySequence(tr("Ctrl+Shift+Z")), QKeySequence::Redo},
        [this] { model_.undoStack().redo(); });
}

void VersionsTab::fillList(const QString& select) {
    QStringList versions;
    if (!tellingFailures([&] { versions = store_.versions(); })) return;
    {
        const QSignalBlocker quiet(list_);
        list_.clear();
        list_.addItems(versions);
    }
    if (versions.isEmpty()) return;
    const QString chosen =
        versions.contains(select, Qt::CaseInsensitive) ? select : versions.front();
    const auto found = list_.findItems(chosen, Qt::MatchFixedString);
    list_.setCurrentItem(found.isEmpty() ? list_.item(0) : found.front());
}

void VersionsTab::versionChosen(const QString& version) {
    if (version.isEmpty() || version == this->version()) return;
    if (model_.isModified()) {
        const auto answer =
            QMessageBox::question(this, kTitle,
                                  tr("%1 has edits that are not saved. Save them?")
                                      .arg(config::VersionName(this->version())),
                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save())) {
            const QSignalBlocker quiet(list_);
            const auto shown = list_.findItems(this->version(), Qt::MatchFixedString);
            if (!shown.isEmpty()) list_.setCurrentItem(shown.front());
            return;
        }
    }
    showVersion(version);
}

void VersionsTab::showVersion(const QString& version) {
    tellingFailures([&] { model_.load(store_.read(version), store_.rules()); });
    told_.clear();
}

bool VersionsTab::save() {
    const QString name = config::VersionName(version());
    if (const QStringList refusals = model_.refusals(); !refusals.isEmpty()) {
        tell(tr("%1 is not saved: %2").arg(name, refusals.join(QStringLiteral("; "))), true);
        return false;
    }
    std::optional<StoredVersion> changed;
    if (!tellingFailures([&] { changed = store_.save(model_.opened(), model_.changes()); }))
        return false;
    if (changed) {
        const QStringList columns = ChangedColumns(model_.opened(), *changed);
        model_.rebase(std::move(*changed));
        tell(tr("%1 was changed by someone else since you opened it (%2), so it is not saved. "
                "Your edits are kept on top of that change: save again to store them.")
                 .arg(name, columns.join(QStringLiteral(", "))),
             true);
        return false;
    }
    tellingFailures([&] { model_.saved(store_.read(version())); });
    tell(tr("%1 saved.").arg(name));
    return true;
}

void VersionsTab::saveAsked() {
    if (save()) return;
    QMessageBox box(QMessageBox::Warning, kTitle, told(), QMessageBox::Ok, this);
    // What stopped the save can be selected and copied (a click, then Ctrl+A and Ctrl+C).
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

QSize VersionsTab::sizeHint() const {
    // Room for a setting's line with its meaning, in the font's own measure.
    const QFontMetrics metrics(font());
    return {metrics.averageCharWidth() * 140, metrics.height() * 40};
}

void VersionsTab::askCopyName() {
    bool ok = false;
    const QString name = QInputDialog::getText(
        this, tr("Copy version"), tr("Name of the copy of %1:").arg(config::VersionName(version())),
        QLineEdit::Normal, QString(), &ok);
    if (ok) copyVersion(name);
}

bool VersionsTab::copyVersion(const QString& name) {
    const QString original = version();
    if (model_.isModified()) {
        tell(tr("%1 has edits that are not saved; save or undo them before copying it.")
                 .arg(config::VersionName(original)),
             true);
        return false;
    }
    if (!tellingFailures([&] { store_.copy(original, name); })) return false;
    fillList(name.trimmed());
    tell(tr("%1 copied as %2.")
             .arg(config::VersionName(original), config::VersionName(name.trimmed())));
    return true;
}

void VersionsTab::askDelete() {
    QString kept;
    if (!tellingFailures([&] { kept = store_.whyKept(version()); })) return;
    if (!kept.isEmpty()) return tell(kept, true);
    const auto answer = QMessageBox::question(
        this, kTitle,
        tr("Delete %1 and its labels? Its scenarios stay.").arg(config::VersionName(version())));
    if (answer == QMessageBox::Yes) deleteVersion();
}

bool VersionsTab::deleteVersion() {
    const QString name = config::VersionName(version());
    if (!tellingFailures([&] { store_.remove(version()); })) return false;
    model_.load({}, nullptr);
    fillList(QString());
    tell(tr("%1 deleted.").arg(name));
    return true;
}

void VersionsTab::showOtherFindings() {
    QStringList lines;
    for (const config::Finding& finding : model_.otherFindings()) lines << AsChecked(finding);
    others_.setText(lines.join(QLatin1Char('\n')));
    others_.setVisible(!lines.isEmpty());
}

void VersionsTab::tell(const QString& text, bool fault) {
    told_.setText(text);
    QPalette palette = this->palette();
    if (fault) palette.setColor(QPalette::WindowText, QColor(170, 0, 0));
    told_.setPalette(palette);
}

template <typename Change>
bool VersionsTab::tellingFailures(Change&& change) {
    try {
        change();
        return true;
    } catch (const tool::ToolError& error) {
        tell(error.message(), true);
    } catch (const ConfigError& error) {
        tell(error.message(), true);
    } catch (const db::Error& error) {
        tell(error.description(), true);
    }
    return false;
}

}  // namespace lab
