#include "screens/intake/Subjects.h"

#include <QCoreApplication>
#include <memory>
#include <optional>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "recording/RecordWriter.h"
#include "recording/Resume.h"
#include "recording/RunClaim.h"
#include "runtime/Clock.h"

namespace {

// The Subject of the version's registration row whose name equals SubjectName without
// regard to letter case, as it was registered.
std::optional<QString> RegisteredName(Run& run) {
    db::Rows rows = ReadRows(run,
                             QStringLiteral("select Subject from datSubject where Version=") +
                                 SqlText(run.state.Version),
                             QStringLiteral("Check New User"));
    std::optional<QString> found;
    const QString typed = run.state.SubjectName.toLower();
    for (; !rows.atEnd() && !found; rows.next()) {
        const QVariant subject = rows.value(QStringLiteral("Subject"));
        if (!subject.isNull() && subject.toString().toLower() == typed) found = subject.toString();
    }
    return found;
}

// The database compares text ignoring the case of the letters A to Z only.
QChar AsciiLower(QChar c) {
    return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + ('a' - 'A')) : c;
}

bool SameForDatabase(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

void WriteDemographics(Run& run, const QString& table, const Demographics& subject) {
    InsertRecord(run, table, QStringLiteral("Recording demographics"), [&](db::TableRow& row) {
        row.set(QStringLiteral("Subject"), run.state.SubjectName);
        row.set(QStringLiteral("Version"), run.state.Version);
        row.set(QStringLiteral("Condition"), run.state.Condition);
        row.set(QStringLiteral("Major"), subject.major);
        row.set(QStringLiteral("Gender"), subject.gender);
        row.set(QStringLiteral("Age"), subject.age);
        row.set(QStringLiteral("Date"), run.Today());
        row.set(QStringLiteral("Time"), run.TimeText());
        // Start-up adds the column to older files; one it could not add goes on without
        // it.
        if (row.has(QStringLiteral("Station")))
            row.set(QStringLiteral("Station"), StationName(run));
    });
}

}  // namespace

bool CheckNewUser(Run& run) {
    const std::optional<QString> registered = RegisteredName(run);
    if (!registered) return true;
    // The name keeps the letters as typed where the database finds the participant's
    // rows under it; a name that differs in other letters (MÜLLER for Müller) goes on
    // under the registered spelling, or its recorded run would not be found.
    if (!SameForDatabase(*registered, run.state.SubjectName)) {
        run.state.SubjectName = *registered;
    }
    run.state.CurrentTrial = GetLastTrial(run, QStringLiteral("datExperimentTrials"));
    return false;
}

bool RecordDemographics(Run& run, const Demographics& subject) {
    try {
        WriteDemographics(run, QStringLiteral("datSubject"), subject);
    } catch (const db::Error& error) {
        if (error.number() != db::errors::DuplicateKey) throw;
        return false;
    }
    return true;
}

QString RegisteredMeanwhileMessage(const Run& run) {
    return QCoreApplication::translate(
               "frmNewSubject",
               "The name %1 was registered in version %2 on another station a moment ago. Two "
               "participants cannot share a name.\r\nPlease choose another name, or call the "
               "experimenter.")
        .arg(run.state.SubjectName, run.state.Version);
}
