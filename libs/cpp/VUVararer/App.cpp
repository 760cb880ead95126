#include "App.h"

#include <VUVararer/BuildConfig.h>

#include <QDir>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QSettings>

namespace VUVararer {

QList<App::RegisteredFunction> App::sm_lstRegisteredFunctions;

App::App(int& argc, char** argv, const QString& organizationName, const QString& applicationName)
    : QApplication(argc, argv)
{
    // The names go first so that the first-start test looks at this application's folders, not at
    // folders named after the executable; nothing has been created yet.
    QCoreApplication::setOrganizationName(organizationName);
    QCoreApplication::setApplicationName(applicationName);
    m_bFirstStart = isFirstStartInternal();

    m_strSaveDirPath = workDirectory(true);
    m_strOpenDirPath = m_strSaveDirPath;

    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, supportDirectory(true));
    m_pSettings = new QSettings(supportDirectory(true) + QStringLiteral("settings.plist"), QSettings::IniFormat, this);

    m_strBundleResourcePath = computeBundleResourcePath();

    m_strLegalNotices = tr("<H3>This Application Uses:</H3>");
    m_strLegalNotices += QStringLiteral("Qt ") + QString::number(QT_VERSION_MAJOR) + QStringLiteral(" Toolkit<BR>");
    m_strLegalNotices += QStringLiteral("under LGPLv3 <A HREF=\"file://") + m_strBundleResourcePath +
                         QStringLiteral("LICENSE.LGPL\">(more)</A><BR>");
    m_strLegalNotices += QStringLiteral("the Qt source code is available on<br>");
    m_strLegalNotices += QStringLiteral("<A HREF=\"https://www.qt.io\">https://www.qt.io</A><BR>");

    const QList<RegisteredFunction> lstFunctions = sm_lstRegisteredFunctions;
    for (RegisteredFunction function : lstFunctions)
        function();
    initAppsIds();

    postOpenRequestsFromArguments();

    if (isSigned())
        disableTerminalOuput();
}

App::~App() = default;

App* App::theApp() { return static_cast<App*>(QCoreApplication::instance()); }

void App::registerFunction(RegisteredFunction function) { sm_lstRegisteredFunctions.append(function); }

void App::postOpenRequestsFromArguments()
{
    // File managers hand the files to open as arguments; they arrive as open requests once the loop runs.
    const QStringList lstArguments = arguments().mid(1);
    for (const QString& strArgument : lstArguments) {
        QFileInfo info(strArgument);
        if (info.exists())
            QCoreApplication::postEvent(this, new QFileOpenEvent(info.absoluteFilePath()));
    }
}

QString App::computeBundleResourcePath()
{
    QString strInstalled =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/trelvanic"));
    if (!QFileInfo::exists(strInstalled) && QFileInfo::exists(QStringLiteral(VUVARARER_RESOURCE_DIR)))
        strInstalled = QDir::cleanPath(QStringLiteral(VUVARARER_RESOURCE_DIR));
    return strInstalled + QLatin1Char('/');
}

void App::setBundleResourcePath(const QString& strPath)
{
    m_strBundleResourcePath = strPath.endsWith(QLatin1Char('/')) ? strPath : strPath + QLatin1Char('/');
}

QString App::bundleResourcePath() const { return m_strBundleResourcePath; }

void App::setOpenDirPath(const QString& path) { m_strOpenDirPath = QFileInfo(path).absolutePath(); }

void App::setSaveDirPath(const QString& path) { m_strSaveDirPath = QFileInfo(path).absolutePath(); }

bool App::isChartAutoUpdateOn() const { return !QFileInfo::exists(QStringLiteral("noautoupdate")); }

bool App::event(QEvent* e)
{
    if (e->type() == QEvent::FileOpen) {
        emit fileOpenRequest(static_cast<QFileOpenEvent*>(e)->file());
        return true;
    }
    return QApplication::event(e);
}

bool App::notify(QObject* receiver, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        emit mouseButtonPress();
        break;
    case QEvent::ApplicationActivate:
        m_bDeactivated = false;
        emit applicationActivated();
        break;
    case QEvent::ApplicationDeactivate:
        m_bDeactivated = true;
        emit applicationDeactivated();
        break;
    case QEvent::Expose:
        emit applicationExposed();
        break;
    default:
        break;
    }
    return QApplication::notify(receiver, e);
}

void App::slotCheckUpdate() { qDebug("Not implemented"); }

} // namespace VUVararer
