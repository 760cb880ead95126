#include "Endpoints.h"

#include <VUVararer/BuildConfig.h>

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>
#include <QUrl>

namespace VUVararer {

namespace {

QMutex s_mtxOverride;
bool s_bOverridden = false;
Endpoints s_override;

QString decodeBase64(const QString& strText) { return QString::fromLatin1(QByteArray::fromBase64(strText.toLatin1())); }

} // namespace

Endpoints Endpoints::defaults()
{
    Endpoints e;
    e.m_strUpdateServer = QStringLiteral(VUVARARER_UPDATE_SERVER);
    e.m_strUpdateServerFallback = QStringLiteral(VUVARARER_UPDATE_SERVER_FALLBACK);
    e.m_strMetricsBase = QStringLiteral(VUVARARER_METRICS_BASE);
    e.m_strProductSite = QStringLiteral(VUVARARER_PRODUCT_SITE);
    e.m_strMainSite = QStringLiteral(VUVARARER_MAIN_SITE);
    e.m_strRegionalSite = QStringLiteral(VUVARARER_REGIONAL_SITE);
    e.m_strRatingPage = QStringLiteral(VUVARARER_RATING_PAGE);
    e.m_strSocialRelay = QStringLiteral(VUVARARER_SHARE_RELAY);
    e.m_strVideoPage = QStringLiteral(VUVARARER_VIDEO_PAGE);
    e.m_strVideoShortPrefix = QStringLiteral(VUVARARER_VIDEO_SHORT_PREFIX);
    e.m_strVideoWatchPrefix = QStringLiteral(VUVARARER_VIDEO_WATCH_PREFIX);
    e.m_strAboutAddress = QStringLiteral(VUVARARER_ABOUT_ADDRESS);
    e.m_strDeveloperPage = QStringLiteral(VUVARARER_DEVELOPER_PAGE);
    e.m_strFacebookPage = QStringLiteral(VUVARARER_FACEBOOK_PAGE);
    e.m_strTwitterPage = QStringLiteral(VUVARARER_TWITTER_PAGE);
    e.m_strVkontaktePage = QStringLiteral(VUVARARER_VKONTAKTE_PAGE);
    e.m_strYoutubePage = QStringLiteral(VUVARARER_YOUTUBE_PAGE);
    e.m_strSupportMail = QStringLiteral(VUVARARER_SUPPORT_MAIL);
    e.m_strStoreHost = QStringLiteral(VUVARARER_STORE_HOST);
    e.m_strFacebookSharer = QStringLiteral(VUVARARER_FACEBOOK_SHARER);
    e.m_strTwitterStatus = QStringLiteral(VUVARARER_TWITTER_STATUS);
    e.m_strServerComBase64 = QStringLiteral(VUVARARER_SERVER_COM_B64);
    e.m_strServerNetBase64 = QStringLiteral(VUVARARER_SERVER_NET_B64);
    e.m_strServerDeBase64 = QStringLiteral(VUVARARER_SERVER_DE_B64);
    e.m_strPlatformSuffix = QStringLiteral(VUVARARER_PLATFORM_SUFFIX);
    return e;
}

Endpoints Endpoints::current()
{
    QMutexLocker lock(&s_mtxOverride);
    return s_bOverridden ? s_override : defaults();
}

void Endpoints::setOverride(const Endpoints& endpoints)
{
    QMutexLocker lock(&s_mtxOverride);
    s_override = endpoints;
    s_bOverridden = true;
}

void Endpoints::clearOverride()
{
    QMutexLocker lock(&s_mtxOverride);
    s_bOverridden = false;
}

bool Endpoints::isUnconfigured(const QString& strAddress)
{
    QString strHost = QUrl::fromUserInput(strAddress).host().toLower();
    if (strHost.endsWith(QLatin1Char('.')))
        strHost.chop(1);
    return strHost == QLatin1String("invalid") || strHost.endsWith(QLatin1String(".invalid"));
}

QString Endpoints::serverCom() const { return decodeBase64(m_strServerComBase64); }

QString Endpoints::serverNet() const { return decodeBase64(m_strServerNetBase64); }

QString Endpoints::serverDe() const { return decodeBase64(m_strServerDeBase64); }

QString Endpoints::buildsInfoPath(const QString& strAppName) const
{
    return QStringLiteral("/apps/buildsinfo/") + strAppName.toLower() + m_strPlatformSuffix;
}

QString Endpoints::updatePagePath(const QString& strAppName)
{
    return QStringLiteral("/apps/updatepage.php?appname=") + strAppName.toLower();
}

QString Endpoints::crossPromoPath() { return QStringLiteral("/apps/crosspromo.php?appname=\"\""); }

QString Endpoints::metricsUrl(bool bFirstStart, const QString& strAppName) const
{
    QString strName = strAppName.toLower();
    strName.remove(QLatin1Char(' '));
    return m_strMetricsBase + QStringLiteral("/?") + (bFirstStart ? QStringLiteral("f=") : QStringLiteral("a=")) +
           strName;
}

QString Endpoints::socialRedirectUrl(const QString& strKey, const QString& strNetwork) const
{
    return m_strProductSite + QStringLiteral("/apps/") + strKey + QLatin1Char('/') + strNetwork +
           QStringLiteral(".php");
}

QString Endpoints::ratingUrl(const QString& strAppName) const
{
    return m_strRatingPage + QStringLiteral("/rate.php?appname=") + strAppName.toLower();
}

QString Endpoints::shareUrl(const QString& strLink) const
{
    return m_strSocialRelay + QStringLiteral("/social/share.php?link=") + strLink;
}

QString Endpoints::joinUrl(const QString& strLink) const
{
    return m_strSocialRelay + QStringLiteral("/social/join.php?link=") + strLink;
}

QString Endpoints::videoUrl(const QString& strTopLevelDomain, const QString& strVideoId) const
{
    return m_strVideoPage.arg(strTopLevelDomain) + QStringLiteral("/video.php?view=") + strVideoId;
}

QString Endpoints::regionalSite(const QString& strTopLevelDomain) const
{
    return m_strRegionalSite.arg(strTopLevelDomain);
}

} // namespace VUVararer
