#include "lab/Study.h"

#include <QFileInfo>
#include <QUrl>

#include "db/Location.h"
#include "tool/common/TableData.h"

namespace lab {

QString Study::shownLocation() const {
    return db::LocationForMessages(location_);
}

QString Study::title() const {
    return onServer() ? shownLocation() : QFileInfo(location_).fileName();
}

bool Study::onServer() const {
    return db::IsServerLocation(location_);
}

std::unique_ptr<db::Connection> Study::open(db::OpenMode mode) const {
    return tool::OpenExperimentDatabase(location_, mode);
}

bool LacksPassword(const QString& location) {
    // The shown form is the address without its password: equal means there is none.
    return db::IsServerLocation(location) && db::LocationForMessages(location) == location;
}

QString WithPassword(const QString& location, const QString& password) {
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(password));
    const QChar separator =
        location.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    return location + separator + QStringLiteral("password=") + encoded;
}

}  // namespace lab
