#include "StartUp.h"

#include <VUVararer/App.h>
#include <VUVararer/Endpoints.h>

#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QTextDocument>
#include <QUrl>

void StartUp::configure(VUVararer::App* app)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.2"));
    const VUVararer::Endpoints endpoints = VUVararer::Endpoints::current();
    QString strDomain = QUrl(endpoints.m_strProductSite).host();
    if (strDomain.startsWith(QLatin1String("www.")))
        strDomain.remove(0, 4);
    QCoreApplication::setOrganizationDomain(strDomain);
    // The desktop matches the program's windows to its installed desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(TRELVANIC_APP_ID));
    app->setStyleSheet(styleSheet());
    // Links stay readable on the dark style.
    QPalette palette = app->palette();
    palette.setColor(QPalette::Link, QColor(110, 190, 255));
    palette.setColor(QPalette::LinkVisited, QColor(190, 160, 255));
    app->setPalette(palette);
    app->addLegalNotices(Qt::convertFromPlainText(libraryNotices(), Qt::WhiteSpaceNormal));
    app->setZembrelOrgLinks(QStringLiteral("trelvanic"));
    app->setPrivacyPolicyLink(endpoints.m_strProductSite + QStringLiteral("/apps/trelvanic/privacy.html"));
    app->setShareMessage(QStringLiteral("Click Convert and enjoy your M4A tracks!"));
}

void StartUp::setupIntroduction(VUVararer::App* app)
{
    const QString strLanguage = introLanguage(app->currentLanguage());
    app->setIntroductionSlides(introSlides(app->bundleResourcePath(), strLanguage));
    app->setIntroVideosList(introVideoLink(strLanguage));
}

QString StartUp::introLanguage(const QString& language)
{
    if (language == QLatin1String("de") || language == QLatin1String("ru"))
        return language;
    return QStringLiteral("en");
}

QStringList StartUp::introSlides(const QString& resourcePath, const QString& language)
{
    QStringList lstSlides;
    for (int i = 1; i <= 8; ++i)
        lstSlides << resourcePath + QStringLiteral("Slide%1_%2.jpg").arg(i).arg(language);
    return lstSlides;
}

QString StartUp::introVideoLink(const QString& language)
{
    const QUrl watchPage(VUVararer::Endpoints::current().m_strVideoWatchPrefix);
    const QString strPlayList = watchPage.scheme() + QStringLiteral("://") + watchPage.host() +
                                QStringLiteral("/playlist?list=trelvanic-intro-");
    return strPlayList + introLanguage(language);
}

QString StartUp::styleSheet()
{
    QFile file(QStringLiteral(":/trelvanic.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString StartUp::libraryNotices()
{
    return QCoreApplication::translate(
        "StartUp",
        "This application also uses:\n\n"
        "FFmpeg libraries (libavformat, libavcodec, libavutil, libswresample): GNU Lesser General Public "
        "License version 2.1 or later, or GNU General Public License version 2 or later where built with "
        "GPL parts. Source code: https://ffmpeg.org\n\n"
        "TagLib: GNU Lesser General Public License version 2.1 or Mozilla Public License 1.1. "
        "Source code: https://taglib.org\n\n"
        "libFLAC: BSD 3-clause licence, Copyright Xiph.Org Foundation. Source code: https://xiph.org/flac\n\n"
        "Qt 5: GNU Lesser General Public License version 3. Source code: https://www.qt.io\n");
}
