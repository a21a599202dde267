#include "runtime/MessageText.h"

namespace runtime {

namespace {

constexpr qsizetype kShownCharacters = 60;

}  // namespace

QString ValueForMessage(const QString& value) {
    if (value.size() <= kShownCharacters) return value;
    return value.left(kShownCharacters) +
           QStringLiteral("… (%1 characters in all)").arg(value.size());
}

}  // namespace runtime
