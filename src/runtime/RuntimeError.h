#pragma once
// An error with a number and a description, as the screens and the table access expect
// (6 overflow, 91 object not set, 3021 no current row, ...).

#include <QString>
#include <exception>
#include <string>

namespace runtime {

class RuntimeError : public std::exception {
  public:
    RuntimeError(int number, QString description)
        : number_(number),
          description_(std::move(description)),
          what_(QStringLiteral("Error %1: %2").arg(number_).arg(description_).toStdString()) {}

    int number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    int number_;
    QString description_;
    std::string what_;
};

namespace errors {
constexpr int Overflow = 6;
constexpr int ObjectNotSet = 91;
}  // namespace errors

}  // namespace runtime
