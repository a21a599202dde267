#pragma once
// The tool's output files: each is written whole or not at all, and every failure names the
// file or folder and the system's reason (a full disk, a folder that may not be written), so
// the experimenter knows what to mend.

#include <QByteArray>
#include <QSaveFile>
#include <QString>

class QIODevice;

namespace tool {

// Writes every byte, or throws ToolError "FILE: cannot write: REASON". A device that takes
// only part (a disk filling up) is asked again for the rest, so its reason is not lost.
void WriteAll(QIODevice& out, const char* data, qint64 size);

// Creates the folder and any missing parents; throws "FOLDER: cannot create the folder:
// REASON".
void MakeFolder(const QString& path);

// A file that appears under its name only once commit() has stored it completely.
class OutputFile {
  public:
    // Throws "FILE: cannot write: REASON" when it cannot be created.
    explicit OutputFile(const QString& path);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    QIODevice& device() { return file_; }
    void write(const QByteArray& bytes) { WriteAll(file_, bytes.constData(), bytes.size()); }
    void commit();

  private:
    QSaveFile file_;
};

// Writes bytes as the whole content of path.
void WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace tool
