// The Versions tab on a study file: a version edited and saved as typed (exactly as the same
// edit made through CSV import), refused while a rule is broken, undone by keys, copied under
// a new name, and deleted only while nobody has recorded in it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "lab/VersionsTab.h"
#include "tests/support/ToolFixtures.h"
#include "tool/csv/CsvExport.h"
#include "tool/csv/CsvImport.h"

namespace {

const QString kTankP = QStringLiteral("TankP");

class VersionsTabTest : public ::testing::Test {
  protected:
    QLineEdit* textEditor(lab::VersionsTab& tab, const QString& column) {
        return qobject_cast<QLineEdit*>(const_cast<QWidget*>(tab.form().editor(column)));
    }
    // Types over a setting's text, key by key, as the experimenter does.
    void typeOver(lab::VersionsTab& tab, const QString& column, const QString& text) {
        QLineEdit* editor = textEditor(tab, column);
        ASSERT_NE(editor, nullptr) << column.toStdString();
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
    }
    // Toggles a yes/no setting with the space bar.
    void toggle(lab::VersionsTab& tab, const QString& column) {
        QTest::keyClick(const_cast<QWidget*>(tab.form().editor(column)), Qt::Key_Space);
    }
    QString stored(const QString& column, const QString& version = kTankP) const {
        return Column(demo.path(), QStringLiteral("SELECT %1 FROM tblSetup WHERE Version = '%2'")
                                       .arg(column, version))
            .value(0);
    }

    DemoDatabase demo;
    lab::Study study{demo.path()};
};

// Every configuration file an export writes, by name.
std::map<QString, QByteArray> ExportedConfiguration(const QString& database) {
    QTemporaryDir folder;
    tool::NoProgress quiet;
    const QString out = folder.filePath(QStringLiteral("export"));
    tool::ExportDatabase(database, out, {}, quiet);
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(out).entryList({QStringLiteral("tbl*.csv")}, QDir::Files))
        files[name] = ReadFile(QDir(out).filePath(name));
    return files;
}

// A CSV of tblSetup with some cells of one version's line replaced.
QByteArray WithCells(const QByteArray& csv, const QString& version,
                     const std::map<QString, QString>& cells) {
    QStringList lines = QString::fromUtf8(csv).split(QStringLiteral("\r\n"));
    const QStringList header = lines.front().split(QLatin1Char(','));
    for (QString& line : lines) {
        QStringList values = line.split(QLatin1Char(','));
        if (values.front() != version) continue;
        for (const auto& [column, value] : cells) values[header.indexOf(column)] = value;
        line = values.join(QLatin1Char(','));
    }
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

TEST_F(VersionsTabTest, ListsTheVersionsAndShowsTheFirst) {
    lab::VersionsTab tab(study);
    ASSERT_EQ(tab.list().count(), 4);
    EXPECT_EQ(tab.list().item(0)->text(), QStringLiteral("StoreP"));
    EXPECT_EQ(tab.version(), QStringLiteral("StoreP"));
    EXPECT_EQ(textEditor(tab, QStringLiteral("GoalLinePoisition"))->text(), QStringLiteral("50"));
}

TEST_F(VersionsTabTest, AVersionEditedAndSavedEqualsTheSameEditMadeThroughCsvImport) {
    const std::map<QString, QString> edit{{"GoalLinePoisition", "35.5"},
                                          {"BonusAmount", "0.3"},
                                          {"YUnits", "Litres"},
                                          {"Language", "de"},
                                          {"MaxTrial", "18"},
                                          {"ShowTimePeriods", "FALSE"}};
    DemoDatabase imported;
    tool::NoProgress quiet;
    const QString csv = imported.file(QStringLiteral("tblSetup.csv"));
    WriteFile(csv, WithCells(ExportedConfiguration(imported.path())["tblSetup.csv"], kTankP, edit));
    tool::ImportTableFile(imported.path(), QStringLiteral("tblSetup"), csv, true, quiet);

    lab::VersionsTab tab(study);
    tab.showVersion(kTankP);
    for (const auto& [column, value] : edit) {
        if (column == QStringLiteral("ShowTimePeriods"))
            toggle(tab, column);
        else
            typeOver(tab, column, value);
    }
    ASSERT_TRUE(tab.save()) << tab.told().toStdString();
    EXPECT_EQ(tab.told(), QStringLiteral("Version 'TankP' saved."));
    EXPECT_FALSE(tab.model().isModified());

    const auto window = ExportedConfiguration(demo.path());
    const auto import = ExportedConfiguration(imported.path());
    ASSERT_EQ(window.size(), 4U);
    for (const auto& [name, bytes] : import)
        EXPECT_EQ(window.at(name), bytes) << name.toStdString();
}

TEST_F(VersionsTabTest, SaveRefusesWhileARuleIsBrokenAndSaysWhich) {
    lab::VersionsTab tab(study);
    tab.showVersion(kTankP);
    typeOver(tab, QStringLiteral("GoalLinePoisition"), QStringLiteral("6O"));
    typeOver(tab, QStringLiteral("MaxTrial"), QStringLiteral("0"));
    // The message shows under the setting as it is typed.
    const QLabel* message = tab.form().message(QStringLiteral("GoalLinePoisition"));
    EXPECT_EQ(message->text(), QStringLiteral("'6O' is not a number"));
    EXPECT_FALSE(message->isHidden());
    EXPECT_FALSE(tab.save());
    EXPECT_EQ(tab.told(), QStringLiteral("Version 'TankP' is not saved: column GoalLinePoisition: "
                                         "'6O' is not a number"));
    typeOver(tab, QStringLiteral("GoalLinePoisition"), QStringLiteral("45"));
    EXPECT_TRUE(message->isHidden());
    EXPECT_FALSE(tab.save());
    EXPECT_EQ(tab.told(), QStringLiteral("Version 'TankP' is not saved: column MaxTrial: Version "
                                         "'TankP' in tblSetup: MaxTrial is 0; the experiment needs "
                                         "at least one period."));
    EXPECT_EQ(stored(QStringLiteral("GoalLinePoisition")), QStringLiteral("60"));
    EXPECT_EQ(stored(QStringLiteral("MaxTrial")), QStringLiteral("20"));
    typeOver(tab, QStringLiteral("MaxTrial"), QStringLiteral("19"));
    EXPECT_TRUE(tab.save());
    EXPECT_EQ(stored(QStringLiteral("GoalLinePoisition")), QStringLiteral("45"));
    EXPECT_EQ(stored(QStringLiteral("MaxTrial")), QStringLiteral("19"));
}

TEST_F(VersionsTabTest, KeysUndoAndRedoTheVersionsEditsAndSaveThem) {
    lab::VersionsTab tab(study);
    tab.show();
    tab.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tab));
    tab.showVersion(kTankP);
    QLineEdit* goal = textEditor(tab, QStringLiteral("GoalLinePoisition"));
    goal->setFocus();
    typeOver(tab, QStringLiteral("GoalLinePoisition"), QStringLiteral("55"));
    typeOver(tab, QStringLiteral("MaxTrial"), QStringLiteral("19"));
    QTest::keyClick(goal, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(textEditor(tab, QStringLiteral("MaxTrial"))->text(), QStringLiteral("20"));
    QTest::keyClick(goal, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(goal->text(), QStringLiteral("60"));
    QTest::keyClick(goal, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(goal->text(), QStringLiteral("55"));
    QTest::keyClick(goal, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(tab.told(), QStringLiteral("Version 'TankP' saved."));
    EXPECT_EQ(stored(QStringLiteral("GoalLinePoisition")), QStringLiteral("55"));
    EXPECT_EQ(stored(QStringLiteral("MaxTrial")), QStringLiteral("20"));
}

TEST_F(VersionsTabTest, CopiesAVersionWithItsLabelsUnderANewName) {
    lab::VersionsTab tab(study);
    tab.showVersion(kTankP);
    ASSERT_TRUE(tab.copyVersion(QStringLiteral(" Tank O'Brien ")));
    EXPECT_EQ(tab.told(), QStringLiteral("Version 'TankP' copied as Version 'Tank O'Brien'."));
    EXPECT_EQ(tab.version(), QStringLiteral("Tank O'Brien"));
    EXPECT_EQ(tab.list().count(), 5);
    const QString row = QStringLiteral("SELECT * FROM tblSetup WHERE Version = '%1'");
    const auto setupOf = [&](const QString& version) {
        QStringList cells;
        auto connection = tool::OpenExperimentDatabase(demo.path(), db::OpenMode::ReadOnly);
        db::Statement select = connection->prepare(row.arg(QString(version).replace("'", "''")));
        EXPECT_TRUE(select.step());
        for (int c = 1; c < select.columnCount(); ++c) cells << select.value(c).toString();
        return cells;
    };
    EXPECT_EQ(setupOf(QStringLiteral("Tank O'Brien")), setupOf(kTankP));
    const QString labels = QStringLiteral(
        "SELECT LabelNumber || ':' || LabelName FROM tblLabels WHERE version = '%1' "
        "ORDER BY LabelNumber");
    EXPECT_EQ(Column(demo.path(), labels.arg(QStringLiteral("Tank O''Brien"))),
              Column(demo.path(), labels.arg(kTankP)));
}

TEST_F(VersionsTabTest, ACopyNeedsANameNoVersionHasAndNoUnsavedEdits) {
    lab::VersionsTab tab(study);
    tab.showVersion(kTankP);
    EXPECT_FALSE(tab.copyVersion(QStringLiteral("tankt")));
    EXPECT_EQ(tab.told(),
              QStringLiteral("Version 'tankt' is already in tblSetup; choose another name."));
    EXPECT_FALSE(tab.copyVersion(QStringLiteral("  ")));
    EXPECT_EQ(tab.told(), QStringLiteral("A version needs a name."));
    typeOver(tab, QStringLiteral("MaxTrial"), QStringLiteral("19"));
    EXPECT_FALSE(tab.copyVersion(QStringLiteral("Other")));
    EXPECT_EQ(tab.told(), QStringLiteral("Version 'TankP' has edits that are not saved; save or "
                                         "undo them before copying it."));
    EXPECT_EQ(Column(demo.path(), QStringLiteral("SELECT COUNT(*) FROM tblSetup")),
              QStringList{"4"});
}

TEST_F(VersionsTabTest, ClosingTheWindowAsksForUnsavedEditsAndCancelKeepsThemOpen) {
    lab::VersionsTab tab(study);
    tab.show();
    tab.showVersion(kTankP);
    typeOver(tab, QStringLiteral("MaxTrial"), QStringLiteral("19"));
    const auto answer = [](QMessageBox::StandardButton button, QString& asked) {
        QTimer::singleShot(0, [button, &asked] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                box->button(button)->click();
            }
        });
    };
    QString asked;
    answer(QMessageBox::Cancel, asked);
    EXPECT_FALSE(tab.close());
    EXPECT_EQ(asked, QStringLiteral("Version 'TankP' has edits that are not saved. Save them?"));
    EXPECT_TRUE(tab.isVisible());
    EXPECT_TRUE(tab.isModified());
    answer(QMessageBox::Save, asked);
    EXPECT_TRUE(tab.close());
    EXPECT_EQ(stored(QStringLiteral("MaxTrial")), QStringLiteral("19"));
}

struct Recorded {
    const char* sql;  // what was recorded in TankP
    const char* why;
};

class DeleteRefused : public VersionsTabTest, public ::testing::WithParamInterface<Recorded> {};

TEST_P(DeleteRefused, WhileSomeoneHasRecordedInTheVersion) {
    Execute(demo.path(), QString::fromLatin1(GetParam().sql));
    lab::VersionsTab tab(study);
    tab.showVersion(kTankP);
    EXPECT_FALSE(tab.deleteVersion());
    EXPECT_EQ(tab.told(), QString::fromLatin1(GetParam().why));
    EXPECT_EQ(stored(QStringLiteral("Version")), kTankP);
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, DeleteRefused,
    ::testing::Values(
        Recorded{"INSERT INTO datSubject (Subject, Version) VALUES ('Ann', 'TankP')",
                 "Version 'TankP' cannot be deleted: 1 participant has registered in it."},
        Recorded{"INSERT INTO datSubject (Subject, Version) VALUES ('Ann', 'TankP'), ('Bo', "
                 "'tankp')",
                 "Version 'TankP' cannot be deleted: 2 participants have registered in it."},
        Recorded{"INSERT INTO datExperimentTrials (Subject, Version, EventID) VALUES ('Ann', "
                 "'TankP', 1)",
                 "Version 'TankP' cannot be deleted: rows are recorded in it in "
                 "datExperimentTrials."}));

TEST_F(VersionsTabTest, DeletesAVersionNobodyRecordedInWithItsLabels) {
    Execute(demo.path(),
            QStringLiteral("INSERT INTO datSubject (Subject, Version) VALUES ('Ann', 'TankT')"));
    lab::VersionsTab tab(study);
    tab.showVersion(kTankP);
    ASSERT_TRUE(tab.deleteVersion());
    EXPECT_EQ(tab.told(), QStringLiteral("Version 'TankP' deleted."));
    EXPECT_EQ(Column(demo.path(), QStringLiteral("SELECT Version FROM tblSetup ORDER BY Version")),
              (QStringList{"StoreP", "StoreT", "TankT"}));
    EXPECT_EQ(Column(demo.path(),
                     QStringLiteral("SELECT COUNT(*) FROM tblLabels WHERE version = 'TankP'")),
              QStringList{"0"});
    EXPECT_EQ(tab.list().count(), 3);
    EXPECT_EQ(tab.version(), QStringLiteral("StoreP"));
}

}  // namespace
