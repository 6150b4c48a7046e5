#include "reportwindow/startfolders.h"

#include "report/report.h"
#include "reportwindow/reportwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace velmora {

namespace {

const QString kFoldersKey = QStringLiteral("recordFolders");

QSettings settings() {
    return QSettings(QStringLiteral("Velmora"), QStringLiteral("velmora-report"));
}

} // namespace

QStringList foldersAtStart(const QStringList& remembered, const QString& dataFolder) {
    QStringList folders;
    for (const QString& folder : remembered)
        if (QFileInfo(folder).isDir()) folders << folder;
    if (folders.isEmpty() && !dataFolder.isEmpty() && QFileInfo(dataFolder).isDir())
        folders << dataFolder;
    return folders;
}

QStringList recordFilesIn(const QString& folder) {
    QStringList files;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral("*.dat")}, QDir::Files))
        files << f.absoluteFilePath();
    return recordFiles(files);
}

void ReportWindow::openStartFolders(const QString& dataFolder) {
    QStringList files;
    for (const QString& folder :
         foldersAtStart(settings().value(kFoldersKey).toStringList(), dataFolder))
        files << recordFilesIn(folder);
    if (!files.isEmpty()) addFiles(files);
}

void ReportWindow::rememberFolders() const {
    QStringList folders;
    for (const QString& file : files_) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!folders.contains(folder)) folders << folder;
    }
    settings().setValue(kFoldersKey, folders);
}

} // namespace velmora
