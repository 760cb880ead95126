#include "App.h"

#include "TranslationsManager.h"

#include <MTools/SysInfo.h>

#include <QScreen>
#include <QSysInfo>

namespace VUVararer {

namespace {

QRect desktopGeometry()
{
    QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->virtualGeometry() : QRect();
}

} // namespace

QString App::buildTextFromCompilerDate(const char* compilerDate) { return MTools::SysInfo::buildText(compilerDate); }

QString App::build() const { return buildTextFromCompilerDate(__DATE__); }

QDate App::buildDate() const { return QDate::fromString(build(), QStringLiteral("M/d/yyyy")); }

QString App::dateFormat() { return QStringLiteral("yyyy-MM-dd"); }

QString App::osInfo() const { return QSysInfo::prettyProductName(); }

QString App::currentLanguage() const
{
    TranslationsManager::instance();
    return m_strCurrentLanguage;
}

QString App::currentLanguageOptimized() const
{
    TranslationsManager::instance();
    if (m_strCurrentLanguage.contains(QLatin1String("en")))
        return QString();
    return m_strCurrentLanguage + QLatin1Char('/');
}

void App::setCurrentLanguage(const QString& strLanguage) { m_strCurrentLanguage = strLanguage; }

qreal App::devicePixelRatio() const
{
    QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->devicePixelRatio() : 1.0;
}

bool App::isPocketDevice() const
{
    const QRect rect = desktopGeometry();
    return rect.width() < 480 || rect.height() < 480;
}

int App::smallestDimention() const
{
    const QRect rect = desktopGeometry();
    return rect.width() < rect.height() ? rect.width() : rect.height();
}

int App::biggestDimention() const
{
    const QRect rect = desktopGeometry();
    return rect.width() > rect.height() ? rect.width() : rect.height();
}

bool App::isLandscape() const
{
    QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen && pScreen->isLandscape(Qt::PrimaryOrientation);
}

bool App::isPortrait() const { return !isLandscape(); }

} // namespace VUVararer
