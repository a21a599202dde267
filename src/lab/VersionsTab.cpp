#include "lab/VersionsTab.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "config/ConfigError.h"
#include "db/Error.h"
#include "session/Plot.h"
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
      scenario_(QStringLiteral("tblScenarios")),
      delays_(QStringLiteral("tblDelayScenarios")),
      labels_(QStringLiteral("tblLabels")),
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
    pages_.addTab(scroll, tr("Sett&ings"));
    scenarioEditor_ = new RowsEditor(scenario_, flows_);
    delaysEditor_ = new RowsEditor(delays_, timeline_);
    labelsEditor_ = new RowsEditor(labels_);
    pages_.addTab(scenarioEditor_, tr("Environment scenari&o"));
    pages_.addTab(delaysEditor_, tr("Dela&y segments"));
    pages_.addTab(labelsEditor_, tr("Scale la&bels"));
    right->addWidget(&pages_, 1);
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
    connect(&undo_, &QPushButton::clicked, &undoGroup_, &QUndoGroup::undo);
    connect(&redo_, &QPushButton::clicked, &undoGroup_, &QUndoGroup::redo);
    connect(&copy_, &QPushButton::clicked, this, &VersionsTab::askCopyName);
    connect(&delete_, &QPushButton::clicked, this, &VersionsTab::askDelete);
    // Undo and redo act on the page shown.
    const std::vector<QUndoStack*> stacks{&model_.undoStack(), &scenario_.undoStack(),
                                          &delays_.undoStack(), &labels_.undoStack()};
    for (QUndoStack* stack : stacks) undoGroup_.addStack(stack);
    undoGroup_.setActiveStack(stacks.front());
    connect(&pages_, &QTabWidget::currentChanged, this, [this, stacks](int page) {
        undoGroup_.setActiveStack(stacks[page]);
        // A table's page takes the keyboard into its grid.
        if (auto* rows = qobject_cast<RowsEditor*>(pages_.widget(page))) rows->takeFocus();
    });
    connect(&undoGroup_, &QUndoGroup::canUndoChanged, &undo_, &QWidget::setEnabled);
    connect(&undoGroup_, &QUndoGroup::canRedoChanged, &redo_, &QWidget::setEnabled);
    connect(&model_, &SetupModel::judged, this, &VersionsTab::showOtherFindings);
    // The rules of the tables read the version's setup as typed.
    for (RowsModel* rows : {&scenario_, &delays_, &labels_})
        connect(&model_, &SetupModel::judged, rows, &RowsModel::judge);
    connect(&scenario_, &RowsModel::judged, this, &VersionsTab::plotFlows);
    connect(&delays_, &RowsModel::judged, this, &VersionsTab::plotDelays);
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
    add({QKeySequence::Undo}, [this] { undoGroup_.undo(); });
    add({QKeySequence(tr("Ctrl+Shift+Z")), QKeySequence::Redo}, [this] { undoGroup_.redo(); });
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

bool VersionsTab::editsSettled() {
    if (!isModified()) return true;
    const auto answer = QMessageBox::question(
        this, kTitle,
        tr("%1 has edits that are not saved. Save them?").arg(config::VersionName(version())),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    return answer == QMessageBox::Discard || (answer == QMessageBox::Save && save());
}

void VersionsTab::versionChosen(const QString& version) {
    if (version.isEmpty() || version == this->version()) return;
    if (!editsSettled()) {
        const QSignalBlocker quiet(list_);
        const auto shown = list_.findItems(this->version(), Qt::MatchFixedString);
        if (!shown.isEmpty()) list_.setCurrentItem(shown.front());
        return;
    }
    showVersion(version);
}

void VersionsTab::showEvent(QShowEvent* event) {
    if (!watchedWindow_) {
        watchedWindow_ = window();
        watchedWindow_->installEventFilter(this);
    }
    QWidget::showEvent(event);
}

// Closing the window does not lose edits unasked.
bool VersionsTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::Close && !editsSettled()) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void VersionsTab::showVersion(const QString& version) {
    tellingFailures([&] {
        model_.load(store_.read(version), store_.rules());
        loadRows();
    });
    told_.clear();
}

// The tables the version's setup names, as stored, each judged by its rules with the setup as
// typed.
void VersionsTab::loadRows() {
    const std::optional<config::SetupRow> setup = model_.setupRow();
    if (!setup) return;
    scenarioKey_ = {QStringLiteral("tblScenarios"), QStringLiteral("Scenario"),
                    static_cast<long long>(setup->setup.ScenarioUsed)};
    delaysKey_ = {QStringLiteral("tblDelayScenarios"), QStringLiteral("DelayScenario"),
                  static_cast<long long>(setup->setup.DelayScenario)};
    labelsKey_ = {QStringLiteral("tblLabels"), QStringLiteral("version"), version()};
    // A scenario belongs to every version that names it.
    const auto sharedBy = [this](const QString& place, const QString& column, const QVariant& key) {
        const QStringList versions = store_.versionsWith(column, key);
        return tr("%1, used by %2: a change here changes it for each of them.")
            .arg(place, versions.join(QStringLiteral(", ")));
    };
    scenarioEditor_->setCaption(sharedBy(config::ScenarioPlace(setup->setup),
                                         QStringLiteral("ScenarioUsed"), scenarioKey_.value));
    delaysEditor_->setCaption(sharedBy(config::DelayScenarioPlace(setup->setup),
                                       QStringLiteral("DelayScenario"), delaysKey_.value));
    labelsEditor_->setCaption(
        tr("The scale of %1 in tblLabels, lowest mark first.").arg(config::VersionName(version())));
    scenario_.load(store_.readRows(scenarioKey_), [this](const std::vector<QVariantList>& rows) {
        std::vector<config::ScenarioRow> periods;
        for (std::size_t r = 0; r < rows.size(); ++r)
            periods.push_back({static_cast<int>(r) + 1, rows[r].value(0).toInt()});
        const auto setup = model_.setupRow();
        return setup ? config::ScenarioRules(*setup, periods) : config::Findings();
    });
    delays_.load(store_.readRows(delaysKey_), [this](const std::vector<QVariantList>& rows) {
        std::vector<config::DelaySegment> segments;
        for (std::size_t r = 0; r < rows.size(); ++r)
            segments.push_back({static_cast<int>(r) + 1, rows[r].value(0).toDouble(),
                                rows[r].value(1).toDouble(), rows[r].value(2).toDouble(),
                                rows[r].value(3).toDouble()});
        const auto setup = model_.setupRow();
        return setup ? config::DelayRules(*setup, segments) : config::Findings();
    });
    labels_.load(store_.readRows(labelsKey_), [this](const std::vector<QVariantList>& rows) {
        std::vector<config::LabelRow> labels;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const QVariant number = rows[r].value(0), name = rows[r].value(1);
            labels.push_back({static_cast<int>(r) + 1,
                              number.isNull() ? std::nullopt : std::optional(number.toDouble()),
                              name.isNull() ? std::nullopt : std::optional(name.toString())});
        }
        const auto setup = model_.setupRow();
        return setup ? config::LabelRules(*setup, labels) : config::Findings();
    });
}

const RowsEditor& VersionsTab::editorOf(const RowsModel& rows) const {
    if (&rows == &scenario_) return *scenarioEditor_;
    return &rows == &delays_ ? *delaysEditor_ : *labelsEditor_;
}

bool VersionsTab::isModified() const {
    return model_.isModified() || scenario_.isModified() || delays_.isModified() ||
           labels_.isModified();
}

std::vector<RowsEdit> VersionsTab::rowsEdits() const {
    std::vector<RowsEdit> edits;
    const std::pair<const RowsModel*, const RowsKey*> tables[] = {
        {&scenario_, &scenarioKey_}, {&delays_, &delaysKey_}, {&labels_, &labelsKey_}};
    for (const auto& [rows, key] : tables)
        if (rows->isModified()) edits.push_back({*key, rows->opened(), *rows->values()});
    return edits;
}

// The environment's inflow and outflow rate of each period.
void VersionsTab::plotFlows() {
    const std::vector<double> periods = scenario_.numbers(QStringLiteral("Trial"));
    const std::vector<double> in = scenario_.numbers(QStringLiteral("inFlowRateEnviron"));
    const std::vector<double> out = scenario_.numbers(QStringLiteral("outFlowRateEnviron"));
    std::vector<std::size_t> order(periods.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return periods[a] < periods[b]; });
    PeriodPlot::Series inflow{tr("inflow"), tool::kEnvInColour, {}};
    PeriodPlot::Series outflow{tr("outflow"), tool::kEnvOutColour, {}};
    for (const std::size_t i : order) {
        inflow.points.emplace_back(periods[i], in[i]);
        outflow.points.emplace_back(periods[i], out[i]);
    }
    flows_->setSeries({inflow, outflow});
}

// Each delay from the period its segment starts in until the next segment.
void VersionsTab::plotDelays() {
    const auto steps = [this](const QString& name, const QString& value, const QString& length,
                              const QColor& colour) {
        const std::vector<double> values = delays_.numbers(value);
        const std::vector<double> lengths = delays_.numbers(length);
        PeriodPlot::Series series{name, colour, {}, true};
        double start = 1;
        for (std::size_t i = 0; i < values.size(); ++i) {
            series.points.emplace_back(start, values[i]);
            start += lengths[i];
        }
        if (!values.empty()) series.points.emplace_back(start, values.back());
        return series;
    };
    timeline_->setSeries({steps(tr("inflow delay"), QStringLiteral("inflowDelayValue"),
                                QStringLiteral("inflowDelayLength"), tool::kUserInColour),
                          steps(tr("outflow delay"), QStringLiteral("outflowDelayValue"),
                                QStringLiteral("outflowDelayLength"), tool::kUserOutColour)});
}

bool VersionsTab::save() {
    const QString name = config::VersionName(version());
    QStringList refusals = model_.refusals();
    for (const RowsModel* rows : {&scenario_, &delays_, &labels_})
        if (rows->isModified()) refusals << rows->refusals();
    if (!refusals.isEmpty()) {
        tell(tr("%1 is not saved: %2").arg(name, refusals.join(QStringLiteral("; "))), true);
        return false;
    }
    std::optional<StoredVersion> changed;
    if (!tellingFailures(
            [&] { changed = store_.save(model_.opened(), model_.changes(), rowsEdits()); }))
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
    tellingFailures([&] {
        model_.saved(store_.read(version()));
        scenario_.saved(store_.readRows(scenarioKey_));
        delays_.saved(store_.readRows(delaysKey_));
        labels_.saved(store_.readRows(labelsKey_));
    });
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
    if (isModified()) {
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
    for (RowsModel* rows : {&scenario_, &delays_, &labels_}) rows->load({}, nullptr);
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
