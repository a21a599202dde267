#pragma once
// A configuration in the experiment database that cannot be used: no row for the version,
// a missing or empty column, a value out of range, a scenario without rows. The message
// names the version or scenario key so that the experimenter can correct the database.

#include <QString>
#include <exception>
#include <string>

class ConfigError : public std::exception {
  public:
    explicit ConfigError(QString message)
        : message_(std::move(message)), what_(message_.toStdString()) {}

    const QString& message() const { return message_; }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    QString message_;
    std::string what_;
};
