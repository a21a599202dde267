#pragma once
// A folder of output files that appear under its name only together: they are written into a
// temporary folder (beside a new folder, inside one that exists already) and moved into place
// by commit(). Until then, and after any failure, the folder is as it was; the temporary folder
// goes with the object.

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "tool/common/ToolError.h"

namespace tool {

class OutputFolder {
  public:
    // Throws "FOLDER: cannot create the folder: REASON" (or "cannot write into the folder", for
    // one that exists) when nothing can be written there.
    explicit OutputFolder(const QString& path);
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Where the file called name is written until commit().
    QString stagingPath(const QString& name) const;
    // Where it is once committed.
    QString finalPath(const QString& name) const;

    // A failure while writing, naming the file by where it was going: the temporary folder is
    // no concern of the experimenter's.
    ToolError named(const ToolError& error) const;

    // Moves every file written into the folder; one already there under the same name is
    // replaced.
    void commit();

  private:
    QString path_;
    bool existed_;
    std::unique_ptr<QTemporaryDir> staging_;
};

}  // namespace tool
