#pragma once
// fluxmere-db payments: what each participant of the session earned, exactly as their
// earnings message said it, whether they finished or stopped early, and the total; as text,
// CSV and a printable PDF page with a line for each participant's signature.

#include <QDateTime>
#include <QString>
#include <vector>

#include "session/Session.h"

class QTextStream;

namespace tool {

struct Payment {
    QString station;
    QString subject;
    QString version;
    bool finished = false;
    int period = 0;  // the last period reached
    int maxTrial = 0;
    double earned = 0;  // the whole dollars the earnings message names
    QString figure;     // as the earnings message writes them, "07.00"

    // "finished", or "stopped early in period n of m".
    QString outcome() const;
};

// The participants who played at least one event, in the session's order.
std::vector<Payment> PaymentsOf(const std::vector<SessionRun>& runs);
// The sum of what each was paid, written as the figures are.
QString TotalFigure(const std::vector<Payment>& payments);
// "Total: 14.00 dollars to 3 participants", as the sheet closes.
QString PaymentsTotal(const std::vector<Payment>& payments);

QString PaymentsText(const std::vector<Payment>& payments);
void WritePaymentsCsv(const std::vector<Payment>& payments, const QString& path);

struct SheetHeading {
    QString database;  // as messages name it
    QDateTime since;
    QDateTime printed;
};
// An A4 sheet (more pages when the rows need them); throws ToolError naming the file.
void WritePaymentsPdf(const std::vector<Payment>& payments, const SheetHeading& heading,
                      const QString& path);

}  // namespace tool
