#pragma once
// The studies opened lately, newest first, kept in the user's settings. Server addresses are
// kept as shown, without their password.

#include <QSettings>
#include <QStringList>

namespace lab {

class RecentStudies {
  public:
    static constexpr int kKept = 8;

    // The settings' organisation and application names; a test passes its own.
    explicit RecentStudies(const QString& application = QStringLiteral("Fluxmere Lab"));

    QStringList list() const;
    void add(const QString& shownLocation);

  private:
    QSettings settings_;
};

}  // namespace lab
