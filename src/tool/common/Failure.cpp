#include "tool/common/Failure.h"

#include "db/Error.h"
#include "tool/common/ToolError.h"

namespace tool {

QString FailureText(const std::exception& error) {
    if (const auto* toolError = dynamic_cast<const ToolError*>(&error)) return toolError->message();
    if (const auto* dbError = dynamic_cast<const db::Error*>(&error)) return dbError->description();
    return QString::fromLocal8Bit(error.what());
}

}  // namespace tool
