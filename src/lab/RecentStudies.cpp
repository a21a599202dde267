#include "lab/RecentStudies.h"

namespace lab {

namespace {
const QString kKey = QStringLiteral("recentStudies");
}

RecentStudies::RecentStudies(const QString& application)
    : settings_(QStringLiteral("Fluxmere"), application) {}

QStringList RecentStudies::list() const {
    return settings_.value(kKey).toStringList();
}

void RecentStudies::add(const QString& shownLocation) {
    QStringList studies = list();
    studies.removeAll(shownLocation);
    studies.prepend(shownLocation);
    while (studies.size() > kKept) studies.removeLast();
    settings_.setValue(kKey, studies);
}

}  // namespace lab
