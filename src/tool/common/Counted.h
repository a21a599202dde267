#pragma once
// Counts as the tool writes them: "1 row", "2 rows".

#include <QString>

namespace tool {

inline QString Counted(long long count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

}  // namespace tool
