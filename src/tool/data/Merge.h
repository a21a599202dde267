#pragma once
// Per-station files brought together: the recorded tables of station files appended to the
// lab's file, participant by participant, all or nothing.

#include <QString>
#include <QStringList>
#include <vector>

#include "tool/common/Progress.h"

namespace tool {

struct MergedStation {
    QString file;
    int added = 0;         // participants appended
    int alreadyThere = 0;  // participants the lab's file holds with the same rows
    long long rows = 0;    // rows appended

    // "FILE: 2 participants added (40 rows), 1 already there"
    QString text() const;
};

// Appends every participant of each station file whose rows the lab's file lacks. Throws a
// ToolError, having written nothing, when a participant is recorded in two files with
// different rows, when a station played a version the lab's file lacks or configures
// differently, or when a file is named twice. Each station's rows appended so far are
// reported; Cancel leaves the lab's file as it was.
std::vector<MergedStation> MergeStations(const QString& labPath, const QStringList& stationPaths,
                                         Progress& progress);
std::vector<MergedStation> MergeStations(const QString& labPath, const QStringList& stationPaths);

}  // namespace tool
