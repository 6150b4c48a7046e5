#include "logging/logfile.h"

#include "logging/noise.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

namespace velmora {

LogFile::LogFile(QString path, qint64 limit, int kept)
    : path_(std::move(path)), limit_(limit), kept_(kept) {}

void LogFile::append(const QString& line) const {
    const QByteArray bytes = line.toUtf8() + "\r\n";
    if (QFileInfo(path_).size() + bytes.size() > limit_) rotate();
    QFile file(path_);
    if (file.open(QIODevice::Append)) file.write(bytes);
}

void LogFile::rotate() const {
    const auto old = [this](int n) { return path_ + u'.' + QString::number(n); };
    QFile::remove(old(kept_));
    for (int n = kept_ - 1; n >= 1; --n) QFile::rename(old(n), old(n + 1));
    if (kept_ > 0)
        QFile::rename(path_, old(1));
    else
        QFile::remove(path_);
}

namespace {

const LogFile* logFile = nullptr;
QtMessageHandler standardError = nullptr;

const char* levelName(QtMsgType type) {
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "";
}

void writeBoth(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Qt's messages outside a category (qErrnoWarning and the like) carry none.
    const bool none = !context.category || !*context.category;
    const QString category = QString::fromLatin1(none ? "default" : context.category);
    if (isPlatformNoise(category, message)) return;
    {
        static QMutex oneAtATime;
        const QMutexLocker locked(&oneAtATime);
        logFile->append(QStringLiteral("%1 %2 %3: %4")
                            .arg(QDateTime::currentDateTime().toString(Qt::ISODate),
                                 QString::fromLatin1(levelName(type)), category, message));
    }
    standardError(type, context, message);
}

} // namespace

void logAlsoTo(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    static const LogFile file(path);
    logFile = &file;
    standardError = qInstallMessageHandler(writeBoth);
}

QString windowsLogPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Velmora/velmora.log"));
}

} // namespace velmora
