#include "App.h"

#include <VUVararer/BuildConfig.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace VUVararer {

namespace {

QString location(QStandardPaths::StandardLocation type)
{
    const QStringList lst = QStandardPaths::standardLocations(type);
    return lst.isEmpty() ? QDir::homePath() : lst.first();
}

} // namespace

QString App::folder(const QString& base, bool create) const
{
    QString strPath = QDir::cleanPath(base) + QLatin1Char('/');
    if (create)
        ensureDirExists(strPath);
    return strPath;
}

QString App::supportDirectory(bool create) const
{
    return folder(location(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + applicationName(), create);
}

QString App::workDirectory(bool create) const
{
    return folder(location(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + applicationName(), create);
}

QString App::cachesDirectory(bool create) const
{
    return folder(location(QStandardPaths::GenericCacheLocation) + QLatin1Char('/') + applicationName(), create);
}

QString App::picturesDirectory(bool create) const
{
    return folder(location(QStandardPaths::PicturesLocation) + QLatin1Char('/') + applicationName(), create);
}

QString App::musicDirectory(bool create) const
{
    return folder(location(QStandardPaths::MusicLocation) + QLatin1Char('/') + applicationName(), create);
}

QString App::moviesDirectory(bool create) const
{
    return folder(location(QStandardPaths::MoviesLocation) + QLatin1Char('/') + applicationName(), create);
}

QString App::downloadsDirectory(bool create) const
{
    return folder(location(QStandardPaths::DownloadLocation) + QLatin1Char('/') + applicationName(), create);
}

QString App::documentsDirectory(bool create) const
{
    return folder(location(QStandardPaths::DocumentsLocation) + QLatin1Char('/') + organizationName() +
                      QLatin1Char('/') + applicationName(),
                  create);
}

QString App::dataDirectory(bool create) const { return folder(location(QStandardPaths::AppDataLocation), create); }

void App::ensureDirExists(const QString& path) const
{
    if (!QFileInfo::exists(path))
        QDir().mkpath(path);
}

bool App::copyTo(const QString& source, const QString& targetDir, const QString& targetName)
{
    ensureDirExists(targetDir);
    const QString strName = targetName.isEmpty() ? QFileInfo(source).fileName() : targetName;
    const QString strTarget = targetDir + QLatin1Char('/') + strName;
    if (QFileInfo::exists(strTarget))
        return true;
    // QFile::copy streams the data and removes a partial target when writing fails.
    return QFile::copy(source, strTarget);
}

bool App::copyToSupportDirectory(const QString& source, const QString& targetName)
{
    return copyTo(source, supportDirectory(true), targetName);
}

void App::printAppDirectories()
{
    qDebug() << "supportDirectory:" << supportDirectory(false);
    qDebug() << "dataDirectory:" << dataDirectory(false);
    qDebug() << "cachesDirectory:" << cachesDirectory(false);
    qDebug() << "documentsDirectory:" << documentsDirectory(false);
    qDebug() << "workDirectory:" << workDirectory(false);
    qDebug() << "picturesDirectory:" << picturesDirectory(false);
    qDebug() << "musicDirectory:" << musicDirectory(false);
    qDebug() << "moviesDirectory:" << moviesDirectory(false);
    qDebug() << "downloadsDirectory:" << downloadsDirectory(false);
}

QString App::bundleIdentifier()
{
    const QStringList lstParts = organizationDomain().split(QLatin1Char('.'), Qt::KeepEmptyParts);
    return lstParts.last() + QLatin1Char('.') + lstParts.first() + QLatin1Char('.') + applicationName();
}

bool App::isSigned() const { return VUVARARER_SIGNED; }

bool App::isAppStore()
{
    App* pApp = theApp();
    if (!pApp || pApp->m_bIndependent)
        return false;
    return !QFileInfo::exists(pApp->bundleResourcePath() + QStringLiteral("independent"));
}

bool App::isIndependent() const { return m_bIndependent; }

bool App::isFirstStartInternal()
{
    const QStringList lstFolders = {supportDirectory(false), documentsDirectory(false), cachesDirectory(false),
                                    dataDirectory(false),    workDirectory(false),      picturesDirectory(false),
                                    musicDirectory(false),   moviesDirectory(false),    downloadsDirectory(false)};
    for (const QString& strFolder : lstFolders) {
        if (QFileInfo::exists(strFolder))
            return false;
    }
    return true;
}

bool App::isFirstStart() const { return m_bFirstStart; }

bool App::isAppFirstStart()
{
    const bool bFirst = settingsValue(QStringLiteral("AppFirstStart"), true).toBool();
    if (bFirst)
        setSettingsValue(QStringLiteral("AppFirstStart"), false);
    return bFirst;
}

void App::startCount()
{
    if (isAppStore())
        return;
    if (!settingsValue(QStringLiteral("Initialized"), false).toBool()) {
        QTimer::singleShot(1000, this, SLOT(slotStartCount()));
        setSettingsValue(QStringLiteral("Initialized"), true);
    }
}

void App::slotStartCount() {}

} // namespace VUVararer
