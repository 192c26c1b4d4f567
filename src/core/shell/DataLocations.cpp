#include "core/shell/DataLocations.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace zovax {

bool folderWritable(const QString& folder)
{
    const QFileInfo fi(folder);
    if (!fi.exists() || !fi.isDir() || !fi.isWritable())
        return false;
    const QFile::Permissions p = fi.permissions();
    if (fi.ownerId() == uint(::geteuid()))
        return p.testFlag(QFile::WriteOwner);
    if (fi.groupId() == uint(::getegid()))
        return p.testFlag(QFile::WriteGroup);
    return p.testFlag(QFile::WriteOther);
}

DataLocations dataLocationsFor(const QString& programFolder, const QString& baseName, const QString& userFolder)
{
    DataLocations l;
    l.besideProgram = folderWritable(programFolder);
    const QDir base(l.besideProgram ? programFolder : userFolder);
    l.settingsPath = base.filePath(baseName + QStringLiteral(".ini"));
    l.tableFolder = base.filePath(QStringLiteral("Dat"));
    return l;
}

QString userDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QLatin1String(kProgramBaseName));
}

DataLocations dataLocationsForExecutable(const QString& executablePath)
{
    const QFileInfo fi(executablePath);
    return dataLocationsFor(fi.absolutePath(), fi.completeBaseName(), userDataFolder());
}

} // namespace zovax
