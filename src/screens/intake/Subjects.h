#pragma once
// Registered participants (datSubject): whether a login name is new for the chosen version,
// and the registration row of a new participant.

#include <QString>

#include "core/RunRecord.h"

// True for a participant not yet registered under Version. The name is compared without
// regard to letter case (any alphabet). For a returning participant CurrentTrial and the
// state of the last recorded event are restored (GetLastTrial). A database error is passed
// on: taking an unreadable participant for a new one would register and record them twice.
bool CheckNewUser(Run& run);

// What the registration form asks.
struct Demographics {
    QString major;
    QString gender;  // "Male" or "Female"
    double age = 0;
};

// Appends the datSubject row: Subject, Version, Condition, Major, Gender, Age, Date, Time.
// False, with nothing written, when another station registered the same name in the version
// since CheckNewUser found it new.
bool RecordDemographics(Run& run, const Demographics& subject);

// What the participant is told when RecordDemographics found the name taken meanwhile.
QString RegisteredMeanwhileMessage(const Run& run);
