#include "config/Labels.h"

#include "config/ConfigQuery.h"
#include "config/ReadRules.h"
#include "config/Setup.h"
#include "core/RunRecord.h"
#include "access/TableAccess.h"
#include "runtime/NumberText.h"

namespace {

using config::ConfigQuery;

// The version's label names by label number, lowest first unless `order` is " Desc".
template <typename ReadRows>
auto ReadLabelNames(const QString& order, ReadRows&& readRows) {
    const QString where = config::VersionName(RunState.Version) + QStringLiteral(" in tblLabels");
    return config::ReportingDatabaseErrors(where, [&] {
        ConfigQuery query(QStringLiteral("Select LabelName from tblLabels where version=%1 "
                                         "order by LabelNumber%2")
                              .arg(SqlText(RunState.Version), order));
        return readRows(query.rows());
    });
}

}  // namespace

void LoadLabels() {
    RunState.MarkLabels = ReadLabelNames(QString(), [](db::Recordset& rows) {
        std::vector<QString> captions;
        SizeArray(captions, ExperimentSetup.numMarks);
        for (int i = 0; i < ExperimentSetup.numMarks && !rows.Eof(); ++i, rows.MoveNext()) {
            captions[i] = config::ReadText(rows.Field(QStringLiteral("LabelName")));
        }
        return captions;
    });
}

void LoadTopLabelValue() {
    RunState.TopLabelValue = ReadLabelNames(QStringLiteral(" Desc"), [](db::Recordset& rows) {
        return rows.Eof()
                   ? 0.0
                   : runtime::LeadingNumber(config::ReadText(rows.Field(QStringLiteral("LabelName"))));
    });
}
