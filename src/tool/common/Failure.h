#pragma once
// A failure as the experimenter reads it, whichever part of the tool reported it: the tool's
// own message, the database's description, or the library's words.

#include <QString>
#include <exception>

namespace tool {

QString FailureText(const std::exception& error);

}  // namespace tool
