#pragma once
// A failure of a tool command, with one line of text for the experimenter.

#include <QString>
#include <stdexcept>

namespace tool {

class ToolError : public std::runtime_error {
  public:
    explicit ToolError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

}  // namespace tool
