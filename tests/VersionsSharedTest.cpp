// The Versions tab where two experimenters work on one study, on a lab server and on a file:
// a version changed by someone else since it was opened is not overwritten, the experimenter
// is told and keeps the edits to save again; copying and deleting work on both engines.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "lab/VersionsTab.h"
#include "tests/support/TestServer.h"
#include "tests/support/ToolFixtures.h"

namespace {

enum class Engine { File, Server };

class VersionsSharedTest : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        if (GetParam() == Engine::Server) {
            server_ = std::make_unique<TempServerDatabase>(TempServerDatabase::Contents::Empty);
            location_ = server_->location();
        } else {
            location_ = folder_.filePath(QStringLiteral("study.mdb"));
        }
        ASSERT_EQ(Tool({"demo", location_}).code, 0);
    }
    void typeIn(lab::VersionsTab& tab, const QString& column, const QString& text) {
        auto& model = tab.model();
        ASSERT_TRUE(model.setData(model.index(model.rowOf(column), lab::SetupModel::Value), text));
    }
    QString stored(const QString& column) const {
        return Column(location_,
                      QStringLiteral("SELECT %1 FROM tblSetup WHERE Version = 'TankP'").arg(column))
            .value(0);
    }

    QTemporaryDir folder_;
    std::unique_ptr<TempServerDatabase> server_;
    QString location_;
};

TEST_P(VersionsSharedTest, AVersionChangedBySomeoneElseIsNotOverwrittenAndTheEditsStay) {
    const lab::Study study(location_);
    lab::VersionsTab mine(study), theirs(study);
    mine.showVersion(QStringLiteral("TankP"));
    theirs.showVersion(QStringLiteral("TankP"));
    typeIn(theirs, QStringLiteral("MaxTrial"), QStringLiteral("18"));
    typeIn(theirs, QStringLiteral("GoalLinePoisition"), QStringLiteral("50"));
    ASSERT_TRUE(theirs.save()) << theirs.told().toStdString();

    typeIn(mine, QStringLiteral("GoalLinePoisition"), QStringLiteral("35"));
    EXPECT_FALSE(mine.save());
    EXPECT_EQ(mine.told(),
              QStringLiteral("Version 'TankP' was changed by someone else since you opened it "
                             "(MaxTrial, GoalLinePoisition), so it is not saved. Your edits are "
                             "kept on top of that change: save again to store them."));
    EXPECT_EQ(stored(QStringLiteral("GoalLinePoisition")), QStringLiteral("50"));
    // Their change shows where nothing was edited here; the edit here stays.
    const auto& model = mine.model();
    EXPECT_EQ(model.index(model.rowOf("MaxTrial"), lab::SetupModel::Value).data().toString(),
              QStringLiteral("18"));
    EXPECT_TRUE(model.isModified());

    ASSERT_TRUE(mine.save()) << mine.told().toStdString();
    EXPECT_EQ(stored(QStringLiteral("GoalLinePoisition")), QStringLiteral("35"));
    EXPECT_EQ(stored(QStringLiteral("MaxTrial")), QStringLiteral("18"));
}

TEST_P(VersionsSharedTest, AVersionDeletedBySomeoneElseIsNamedWhenSaved) {
    const lab::Study study(location_);
    lab::VersionsTab mine(study), theirs(study);
    mine.showVersion(QStringLiteral("TankP"));
    theirs.showVersion(QStringLiteral("TankP"));
    ASSERT_TRUE(theirs.deleteVersion()) << theirs.told().toStdString();
    typeIn(mine, QStringLiteral("GoalLinePoisition"), QStringLiteral("35"));
    EXPECT_FALSE(mine.save());
    EXPECT_EQ(mine.told(), QStringLiteral("Version 'TankP' has no row in tblSetup."));
    EXPECT_TRUE(mine.model().isModified());
}

TEST_P(VersionsSharedTest, CopiesAndDeletesAVersion) {
    const lab::Study study(location_);
    lab::VersionsTab tab(study);
    tab.showVersion(QStringLiteral("TankP"));
    ASSERT_TRUE(tab.copyVersion(QStringLiteral("TankCopy"))) << tab.told().toStdString();
    EXPECT_EQ(Column(location_, QStringLiteral("SELECT COUNT(*) FROM tblLabels WHERE version = "
                                               "'TankCopy'")),
              QStringList{"10"});
    ASSERT_TRUE(tab.deleteVersion()) << tab.told().toStdString();
    EXPECT_EQ(Column(location_, QStringLiteral("SELECT Version FROM tblSetup ORDER BY Version")),
              (QStringList{"StoreP", "StoreT", "TankP", "TankT"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, VersionsSharedTest,
                         ::testing::Values(Engine::File, Engine::Server), [](const auto& info) {
                             return info.param == Engine::File ? std::string("File")
                                                               : std::string("Server");
                         });

}  // namespace
