#pragma once
// What the editing models share: a typed text read as its column stores it, and how a cell
// that breaks a rule is marked.

#include <QColor>
#include <QIcon>
#include <QString>

#include "config/RuleBook.h"
#include "tool/common/TypedCell.h"

namespace lab {

// A text as an unquoted CSV cell of the column's type.
tool::TypedCell Typed(const QString& text, db::ColumnType type);

// The finding in the experimenter's words.
QString Said(const config::Finding& finding);

// The background and the icon of a marked cell.
QColor MarkColour(config::Severity severity);
QIcon MarkIcon(config::Severity severity);

}  // namespace lab
