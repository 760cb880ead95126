#pragma once
// Addresses of the maker's web services, fixed at build time; tests may override them at run time.

#include <QString>

namespace VUVararer {

struct Endpoints
{
    QString m_strUpdateServer;         // primary update server; may lack a scheme
    QString m_strUpdateServerFallback; // fallback update server
    QString m_strMetricsBase;          // usage ping
    QString m_strProductSite;          // product site (.com)
    QString m_strMainSite;             // main site (.org)
    QString m_strRegionalSite;         // regional site, "%1" is the top-level domain
    QString m_strRatingPage;           // rating page (.net)
    QString m_strSocialRelay;          // share and join relays (.net)
    QString m_strVideoPage;            // video site, "%1" is the top-level domain
    QString m_strVideoShortPrefix;     // video host short links
    QString m_strVideoWatchPrefix;     // video host watch pages
    QString m_strAboutAddress;         // web address shown in the About text
    QString m_strDeveloperPage;        // the maker's page in the store
    QString m_strFacebookPage;
    QString m_strTwitterPage;
    QString m_strVkontaktePage;
    QString m_strYoutubePage;
    QString m_strSupportMail; // address only, without "mailto:"
    QString m_strStoreHost;   // store link prefix
    QString m_strFacebookSharer;
    QString m_strTwitterStatus;
    QString m_strServerComBase64; // server bases, kept only as Base64 text
    QString m_strServerNetBase64;
    QString m_strServerDeBase64;
    QString m_strPlatformSuffix; // "_linux", appended to update-information names

    // The values this build was configured with.
    static Endpoints defaults();
    // The override when one is set, else the defaults. Every consumer reads this.
    static Endpoints current();
    // Test seam: every later current() returns endpoints until clearOverride().
    static void setOverride(const Endpoints& endpoints);
    static void clearOverride();

    // True for an address on the reserved ".invalid" domain (an endpoint this build was not given): nothing may
    // look it up or request it. The scheme may be missing.
    static bool isUnconfigured(const QString& strAddress);

    // Server bases decoded from their Base64 text.
    QString serverCom() const;
    QString serverNet() const;
    QString serverDe() const;

    // Paths below the update servers for an application name.
    QString buildsInfoPath(const QString& strAppName) const;
    static QString updatePagePath(const QString& strAppName);
    static QString crossPromoPath();
    // Usage ping: "f=" on a first start, else "a=", then the name in lower case without blanks.
    QString metricsUrl(bool bFirstStart, const QString& strAppName) const;
    // network is "facebook", "twitter" or "vkontakte".
    QString socialRedirectUrl(const QString& strKey, const QString& strNetwork) const;
    QString ratingUrl(const QString& strAppName) const;
    QString shareUrl(const QString& strLink) const;
    QString joinUrl(const QString& strLink) const;
    QString videoUrl(const QString& strTopLevelDomain, const QString& strVideoId) const;
    QString regionalSite(const QString& strTopLevelDomain) const;
};

} // namespace VUVararer
