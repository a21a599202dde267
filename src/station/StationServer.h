#pragma once
// A station may record into a lab server instead of its own file. Its experiment database
// file then holds the server's address (with the login, so that it stays encrypted with the
// file) in a table of its own, which no export, import or check touches.

#include <QString>

namespace station {

// The table and its one column.
inline constexpr char kTable[] = "tblStationServer";
inline constexpr char kColumn[] = "ServerLocation";

// The server the station file names, or an empty text when it names none.
QString ServerOf(const QString& stationFile);

// Names the server in the station file (replacing any server named before). The location
// must be a server's address ("postgresql://...").
void PointAt(const QString& stationFile, const QString& serverLocation);

// Takes the server out of the station file; false when it named none.
bool Unpoint(const QString& stationFile);

}  // namespace station
