#pragma once
// The program that holds a run claim: one process on one running system (one boot of one
// computer). Another copy on the same running system can see whether that process still runs;
// from any other computer or boot it cannot (a computer cloned from this one's image shares
// its host name and machine id, never its boot), and only the claim's LastSeen tells.

#include <QString>
#include <QtGlobal>

struct ClaimHolder {
    QString system;  // machine id, boot id and process namespace; empty when unknown
    qint64 pid = 0;
    qint64 startTime = 0;  // clock ticks from boot to the process's start; 0 when unknown

    // As the claim stores it: one line of text, empty when nothing is known.
    QString text() const;
    static ClaimHolder fromText(const QString& text);
};

// This process.
ClaimHolder ThisProgram();

// The process with that id on this running system, as a claim would name it.
ClaimHolder ProcessOnThisSystem(qint64 pid);

enum class HolderState {
    Running,  // on this running system and still running
    Gone,     // on this running system and ended (killed, crashed): its claim is dead
    Unknown,  // another computer or boot, or a claim that names no holder
};

HolderState StateOf(const ClaimHolder& holder);
