#include "lab/Marks.h"

#include <QApplication>
#include <QStyle>

namespace lab {

tool::TypedCell Typed(const QString& text, db::ColumnType type) {
    return tool::ParseCell(tool::CsvField{text.toStdString(), false}, type);
}

QString Said(const config::Finding& finding) {
    return finding.forExperimenter.isEmpty() ? finding.message : finding.forExperimenter;
}

QColor MarkColour(config::Severity severity) {
    return severity == config::Severity::Warns ? QColor(255, 236, 179) : QColor(255, 205, 205);
}

QIcon MarkIcon(config::Severity severity) {
    return QApplication::style()->standardIcon(severity == config::Severity::Warns
                                                   ? QStyle::SP_MessageBoxWarning
                                                   : QStyle::SP_MessageBoxCritical);
}

}  // namespace lab
