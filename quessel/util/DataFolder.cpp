#include "DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace quessel::DataFolder {

namespace {

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

bool isPortableFolder(const QString& folder)
{
    const QDir dir(folder);
    return dir.exists(QStringLiteral("portable")) || !dir.entryList({QStringLiteral("VELT_*")}, QDir::Files).isEmpty();
}

QString ensureFolder(const QString& folder)
{
    QDir dir(folder);
    if (!dir.exists() && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QDir(folder).absolutePath();
}

} // namespace

QString path()
{
    const QString fromEnv = qEnvironmentVariable("QUESSEL_DATA_DIR");
    if (!fromEnv.isEmpty())
        return ensureFolder(fromEnv);
    const QString exeFolder = executableFolder();
    if (isPortableFolder(exeFolder))
        return exeFolder;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return ensureFolder(dataHome + QStringLiteral("/Quessel"));
}

QString userName()
{
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER", QStringLiteral("user"));
}

QString filePrefix()
{
    return path() + QStringLiteral("/VELT_") + userName() + QLatin1Char('_');
}

QString browserProfilePath()
{
    return path() + QStringLiteral("/browser-profile");
}

} // namespace quessel::DataFolder
