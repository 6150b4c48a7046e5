#pragma once
// A program started from Windows' desktop has no standard error: its log also goes to a file,
// %LOCALAPPDATA%\Velmora\velmora.log, which is rotated so that it never grows without bound.

#include <QString>

namespace velmora {

class LogFile {
public:
    // Past `limit` bytes the file becomes "…log.1", that one "…log.2", and so on up to `kept`
    // old files; the oldest goes.
    explicit LogFile(QString path, qint64 limit = 1 << 20, int kept = 2);
    // Adds the line (a line end is added); a fault is dropped, since there is nowhere to say it.
    void append(const QString& line) const;

private:
    void rotate() const;

    QString path_;
    qint64 limit_;
    int kept_;
};

// Every message of the program, as it is written to standard error, also goes to `path` (its
// folder made when missing), stamped with the time.
void logAlsoTo(const QString& path);
// The Windows log's place: %LOCALAPPDATA%\Velmora\velmora.log.
QString windowsLogPath();

} // namespace velmora
