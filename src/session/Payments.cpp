#include "session/Payments.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>
#include <QTextStream>

#include "core/Rounding.h"
#include "core/Shutdown.h"
#include "tool/common/Csv.h"
#include "tool/common/OutputFile.h"
#include "tool/common/ToolError.h"

namespace tool {

namespace {

QStringList VersionsOf(const std::vector<Payment>& payments) {
    QStringList versions;
    for (const Payment& payment : payments)
        if (!versions.contains(payment.version, Qt::CaseInsensitive)) versions << payment.version;
    return versions;
}

QString Participants(std::size_t count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("participant")
                                                             : QStringLiteral("participants"));
}

// The sheet in millimetres on A4 portrait.
class Sheet {
  public:
    Sheet(QPdfWriter& writer, const SheetHeading& heading, QStringList versions)
        : writer_(writer), painter_(&writer), heading_(heading), versions_(std::move(versions)) {
        painter_.setPen(QPen(Qt::black, px(0.25)));
    }

    void write(const std::vector<Payment>& payments) {
        startPage();
        for (const Payment& payment : payments) {
            if (y_ + kRow > kBottom) nextPage();
            row({payment.subject, payment.station, payment.version, payment.outcome(),
                 payment.figure});
        }
        if (y_ + kRow > kBottom) nextPage();
        font(10, true);
        text(QRectF(kLeft, y_ + 4, kWidth, kRow), PaymentsTotal(payments), Qt::AlignLeft);
        painter_.end();
    }

  private:
    static constexpr double kLeft = 15, kWidth = 180, kTop = 15, kBottom = 280, kRow = 12;
    // Participant, station, version, outcome, earned, signature.
    static constexpr double kColumns[] = {32, 24, 18, 52, 16, 38};

    double px(double mm) const { return mm * writer_.resolution() / 25.4; }
    QRectF rect(const QRectF& mm) const {
        return QRectF(px(mm.x()), px(mm.y()), px(mm.width()), px(mm.height()));
    }
    void font(double points, bool bold = false) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSizeF(points);
        font.setBold(bold);
        painter_.setFont(font);
    }
    void text(const QRectF& mm, const QString& value, Qt::Alignment align) {
        const QRectF box = rect(mm);
        const QString shown =
            QFontMetricsF(painter_.font(), &writer_).elidedText(value, Qt::ElideRight, box.width());
        painter_.drawText(box, static_cast<int>(align | Qt::AlignVCenter), shown);
    }
    void line(double y) {
        painter_.drawLine(QPointF(px(kLeft), px(y)), QPointF(px(kLeft + kWidth), px(y)));
    }

    void cells(const QStringList& values) {
        double x = kLeft;
        for (int c = 0; c < values.size(); ++c) {
            const Qt::Alignment align = c == 4 ? Qt::AlignRight : Qt::AlignLeft;
            text(QRectF(x + 1, y_, kColumns[c] - 3, kRow), values[c], align);
            x += kColumns[c];
        }
    }

    void row(const QStringList& values) {
        font(9);
        cells(values);
        const double signature = kLeft + kWidth - kColumns[5];
        painter_.drawLine(QPointF(px(signature + 2), px(y_ + kRow - 3)),
                          QPointF(px(kLeft + kWidth), px(y_ + kRow - 3)));
        y_ += kRow;
    }

    void startPage() {
        y_ = kTop;
        font(16, true);
        text(QRectF(kLeft, y_, kWidth, 10), QStringLiteral("Fluxmere payment sheet"),
             Qt::AlignLeft);
        y_ += 12;
        font(10);
        for (const QString& heading :
             {QStringLiteral("Date: ") +
                  heading_.printed.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
              QStringLiteral("Session since: ") +
                  heading_.since.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
              QStringLiteral("Versions: ") + versions_.join(QStringLiteral(", ")),
              QStringLiteral("Database: ") + heading_.database}) {
            text(QRectF(kLeft, y_, kWidth, 6), heading, Qt::AlignLeft);
            y_ += 6;
        }
        y_ += 4;
        font(9, true);
        cells({QStringLiteral("Participant"), QStringLiteral("Station"), QStringLiteral("Version"),
               QStringLiteral("Outcome"), QStringLiteral("Dollars"), QStringLiteral("Signature")});
        y_ += kRow;
        line(y_);
    }

    void nextPage() {
        writer_.newPage();
        startPage();
    }

    QPdfWriter& writer_;
    QPainter painter_;
    SheetHeading heading_;
    QStringList versions_;
    double y_ = kTop;
};

}  // namespace

QString Payment::outcome() const {
    if (finished) return QStringLiteral("finished");
    return QStringLiteral("stopped early in period %1 of %2").arg(period).arg(maxTrial);
}

std::vector<Payment> PaymentsOf(const std::vector<SessionRun>& runs) {
    std::vector<Payment> payments;
    for (const SessionRun& run : runs) {
        if (!run.hasEvents) continue;
        payments.push_back({run.station, run.subject, run.version, run.finished(), run.trial,
                            run.maxTrial, RoundAwayFromZero(run.totBonus, 1),
                            EarningsFigure(run.totBonus)});
    }
    return payments;
}

QString TotalFigure(const std::vector<Payment>& payments) {
    double total = 0;
    for (const Payment& payment : payments) total += payment.earned;
    return EarningsFigure(total);
}

QString PaymentsTotal(const std::vector<Payment>& payments) {
    return QStringLiteral("Total: %1 dollars to %2")
        .arg(TotalFigure(payments), Participants(payments.size()));
}

QString PaymentsText(const std::vector<Payment>& payments) {
    QString text;
    QTextStream out(&text);
    for (const Payment& payment : payments)
        out << payment.figure.rightJustified(8) << "  " << payment.subject << " ("
            << payment.version << (payment.station.isEmpty() ? QString() : ", " + payment.station)
            << "): " << payment.outcome() << '\n';
    out << TotalFigure(payments).rightJustified(8) << "  total, " << Participants(payments.size())
        << '\n';
    return text;
}

void WritePaymentsCsv(const std::vector<Payment>& payments, const QString& path) {
    OutputFile file(path);
    CsvWriter csv(file.device());
    csv.header({"participant", "station", "version", "outcome", "period", "max_trial", "dollars"});
    for (const Payment& payment : payments) {
        csv.text(payment.subject);
        csv.text(payment.station);
        csv.text(payment.version);
        csv.plain(payment.finished ? "finished" : "stopped early");
        csv.number(static_cast<long long>(payment.period));
        csv.number(static_cast<long long>(payment.maxTrial));
        csv.plain(payment.figure.toStdString());
        csv.endRow();
    }
    csv.text(QStringLiteral("total"));
    for (int empty = 0; empty < 5; ++empty) csv.null();
    csv.plain(TotalFigure(payments).toStdString());
    csv.endRow();
    csv.flush();
    file.commit();
}

void WritePaymentsPdf(const std::vector<Payment>& payments, const SheetHeading& heading,
                      const QString& path) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("Fluxmere payment sheet"));
        writer.setCreator(QStringLiteral("fluxmere-db"));
        Sheet(writer, heading, VersionsOf(payments)).write(payments);
    }
    WriteWholeFile(path, pdf.data());
}

}  // namespace tool
