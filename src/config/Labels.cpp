#include "config/Labels.h"

#include "access/TableAccess.h"
#include "config/ConfigQuery.h"
#include "config/ReadRules.h"
#include "config/Setup.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"

namespace {

using config::ConfigQuery;

// The version's labels by label number, lowest first unless `order` is " Desc".
template <typename ReadRows>
auto ReadLabels(Run& run, const QString& columns, const QString& order, ReadRows&& readRows) {
    const QString where = config::VersionName(run.state.Version) + QStringLiteral(" in tblLabels");
    return config::ReportingDatabaseErrors(where, [&] {
        ConfigQuery query(run, QStringLiteral("Select %1 from tblLabels where version=%2 "
                                              "order by LabelNumber%3")
                                   .arg(columns, SqlText(run.state.Version), order));
        return readRows(query.rows());
    });
}

template <typename ReadRows>
auto ReadLabelNames(Run& run, const QString& order, ReadRows&& readRows) {
    return ReadLabels(run, QStringLiteral("LabelName"), order, readRows);
}

}  // namespace

void LoadLabels(Run& run) {
    run.state.MarkLabels = ReadLabelNames(run, QString(), [&](db::Rows& rows) {
        std::vector<QString> captions;
        SizeArray(captions, run.setup.numMarks);
        for (int i = 0; i < run.setup.numMarks && !rows.atEnd(); ++i, rows.next()) {
            captions[i] = config::ReadText(rows.value(QStringLiteral("LabelName")));
        }
        return captions;
    });
}

void LoadTopLabelValue(Run& run) {
    run.state.TopLabelValue = ReadLabelNames(run, QStringLiteral(" Desc"), [&](db::Rows& rows) {
        return rows.atEnd() ? 0.0
                            : runtime::LeadingNumber(
                                  config::ReadText(rows.value(QStringLiteral("LabelName"))));
    });
}

namespace config {

std::vector<LabelRow> ReadLabelRows(Run& run) {
    return ReadLabels(run, QStringLiteral("LabelNumber, LabelName"), QString(),
                      [&](db::Rows& rows) {
                          std::vector<LabelRow> labels;
                          for (; !rows.atEnd(); rows.next()) {
                              const QVariant number = rows.value(QStringLiteral("LabelNumber"));
                              const QVariant name = rows.value(QStringLiteral("LabelName"));
                              LabelRow label;
                              bool isNumber = false;
                              const double value = number.toDouble(&isNumber);
                              if (!number.isNull() && isNumber) label.number = value;
                              if (!name.isNull()) label.name = name.toString();
                              labels.push_back(label);
                          }
                          return labels;
                      });
}

}  // namespace config
