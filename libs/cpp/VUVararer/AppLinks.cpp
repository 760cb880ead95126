#include "App.h"

#include "Endpoints.h"
#include "FrameMenu.h"

#include <QDebug>
#include <QRegularExpression>
#include <QUrl>

namespace VUVararer {

// The application's outward links: share and support pages, store links, mail links.

namespace {

QString encoded(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

QString keyOrAppName(const QString& key) { return key.isEmpty() ? QCoreApplication::applicationName().toLower() : key; }

} // namespace

void App::setZembrelComLinks(const QString& key)
{
    const QString strKey = keyOrAppName(key);
    const Endpoints endpoints = Endpoints::current();
    m_strFaceBookShareLink = endpoints.socialRedirectUrl(strKey, QStringLiteral("facebook"));
    m_strTwitterShareLink = endpoints.socialRedirectUrl(strKey, QStringLiteral("twitter"));
    m_strVKontakteShareLink = endpoints.socialRedirectUrl(strKey, QStringLiteral("vkontakte"));
    m_strAppSupportPage = endpoints.m_strProductSite + QStringLiteral("/apps/") + strKey;
}

void App::setZembrelOrgLinks(const QString& key)
{
    const QString strLanguage = currentLanguage();
    QString strDomain = QStringLiteral("org");
    if (strLanguage == QLatin1String("de") || strLanguage == QLatin1String("ru") ||
        isAdditionalLanguageContains(strLanguage))
        strDomain = strLanguage;
    const Endpoints endpoints = Endpoints::current();
    const QString strPage = endpoints.regionalSite(strDomain) + QLatin1Char('/') + keyOrAppName(key);
    m_strFaceBookShareLink = endpoints.m_strFacebookSharer + strPage;
    m_strTwitterShareLink = endpoints.m_strTwitterStatus + strPage;
    m_strAppSupportPage = strPage;
}

QString App::shareMessage() const
{
    return m_strShareMessage.isEmpty() ? QCoreApplication::applicationName() : m_strShareMessage;
}

void App::setPromotedAppNameAndID(const QString& name, const QString& id)
{
    m_strPromotedAppName = name;
    m_strPromotedAppID = id;
}

QString App::zembrelComServer() const { return Endpoints::current().serverCom(); }

QString App::zembrelNetServer() const { return Endpoints::current().serverNet(); }

QString App::zembrelDeServer() const { return Endpoints::current().serverDe(); }

QString App::appId() const { return m_mapAppsIds.value(QCoreApplication::applicationName().toLower()); }

QString App::appNameToId(const QString& name) const { return m_mapAppsIds.value(name); }

QString App::storeLink(const QString& strAppKey)
{
    QString strKey = strAppKey;
    if (strKey.endsWith(QLatin1Char('/')))
        strKey.chop(1);
    strKey = strKey.split(QLatin1Char('/')).last().toLower();
    const QString strId = m_mapAppsIds.value(strKey);
    if (strId.isEmpty())
        return QString();
    return Endpoints::current().m_strStoreHost + QStringLiteral("%1?mt=12").arg(strId);
}

void App::slotRateApp()
{
    // Without a store link (an unknown key) the rating page stands in, rather than a link made of the query alone.
    const QString strStoreLink = isIndependent() ? QString() : storeLink(appSupportPage());
    const QString strLink = strStoreLink.isEmpty()
                                ? Endpoints::current().ratingUrl(encoded(QCoreApplication::applicationName()))
                                : strStoreLink + QStringLiteral("&action=write-review");
    qDebug() << "!!!!" + strLink;
    FrameMenu::openLink(strLink);
}

void App::slotSupportPage()
{
    FrameMenu::openLink(m_strAppSupportPage.isEmpty() ? Endpoints::current().m_strMainSite : m_strAppSupportPage);
}

void App::slotContactUs()
{
    const QString strSubject = QStringLiteral("Contact (") + QCoreApplication::applicationName() + QLatin1Char(' ') +
                               QCoreApplication::applicationVersion() + QStringLiteral(") ") + osInfo() +
                               QLatin1Char(' ') + currentLanguage() + QLatin1Char(' ') +
                               (isAppStore() ? QString() : QStringLiteral("I"));
    FrameMenu::openLink(QStringLiteral("mailto:") + Endpoints::current().m_strSupportMail +
                        QStringLiteral("?subject=") + encoded(strSubject) + QStringLiteral("&body="));
}

void App::slotTellFriend()
{
    const QString strName = QCoreApplication::applicationName();
    QString strLink = Endpoints::current().m_strMainSite + QLatin1Char('/') + strName.toLower();
    if (!m_strAppSupportPage.isEmpty())
        strLink = m_strAppSupportPage;
    else if (isAppStore())
        strLink = storeLink(strName.toLower()).replace(QLatin1String("macappstore"), QLatin1String("https"));
    const QString strSubject = QStringLiteral("Check out the cool ") + strName + QStringLiteral(" app!");
    const QString strBody = shareMessage() + QStringLiteral(" - ") + strLink;
    FrameMenu::openLink(QStringLiteral("mailto:?subject=") + encoded(strSubject) + QStringLiteral("&body=") +
                        encoded(strBody));
}

void App::slotGoToPromotedApp()
{
    QString strLink = m_strPromotedLink;
    if (strLink.isEmpty()) {
        QString strPrefix = Endpoints::current().m_strStoreHost;
        strPrefix.replace(QRegularExpression(QStringLiteral("^[a-z]+://")), QStringLiteral("https://"));
        strLink = strPrefix + m_strPromotedAppName.toLower() + QLatin1Char('/') + m_strPromotedAppID +
                  QStringLiteral("?ls=1&mt=12");
    }
    FrameMenu::openLink(strLink);
}

void App::initAppsIds()
{
    m_mapAppsIds = {
        {"bava", "id1201462016"},    {"bebuzer", "id4407224704"}, {"bekezo", "id6853043520"},
        {"bero", "id7174833801"},    {"binin", "id2269060443"},   {"boleral", "id929657249"},
        {"bozun", "id186828890"},    {"butex", "id200251678"},    {"dedar", "id183740718"},
        {"deditil", "id917414333"},  {"deduma", "id8617409319"},  {"denex", "id644992070"},
        {"dibemar", "id5137484777"}, {"dizal", "id934170471"},    {"durer", "id5633191284"},
        {"filulox", "id3984153776"}, {"fodonix", "id307764265"},  {"fosadux", "id6150556130"},
        {"fozukor", "id5516691564"}, {"fuduku", "id510423468"},   {"furanul", "id4560688310"},
        {"gamofen", "id8924708227"}, {"gedefe", "id6444463478"},  {"gifel", "id2221387837"},
        {"gigel", "id8628331258"},   {"gigorux", "id635493066"},  {"gipevur", "id9364507495"},
        {"gubu", "id983143667"},     {"guni", "id5020679701"},    {"kafer", "id9773132281"},
        {"kafopi", "id2800239042"},  {"kotax", "id9611148936"},   {"ligetex", "id4900847453"},
        {"lirorox", "id9383064003"}, {"luban", "id7143653705"},   {"lumi", "id6630481373"},
        {"magix", "id4373441979"},   {"masavu", "id476092603"},   {"mepuro", "id360026751"},
        {"mezex", "id353287046"},    {"modosox", "id6721014156"}, {"namipur", "id936546107"},
        {"nemix", "id687355706"},    {"nilagan", "id706071043"},  {"notaten", "id654590454"},
        {"numil", "id1910317764"},   {"pagur", "id8272042935"},   {"palu", "id8591836236"},
        {"para", "id178852611"},     {"pekoper", "id2316772326"}, {"petukun", "id4814449454"},
        {"pofin", "id4732332493"},   {"pogox", "id2643883170"},   {"pologir", "id173750431"},
        {"polokux", "id499315827"},  {"pozebil", "id1199530552"}, {"radare", "id440930565"},
        {"rapebal", "id513078716"},  {"revel", "id782812646"},    {"runin", "id5604956605"},
        {"savix", "id763062611"},    {"sivazal", "id6722008261"}, {"sopopi", "id9225428211"},
        {"susoko", "id8342075096"},  {"tibi", "id339693729"},     {"tifin", "id168265123"},
        {"tinu", "id180516978"},     {"tipin", "id7493665787"},   {"trelvanic", "id109773797"},
        {"tubur", "id861125651"},    {"vakaba", "id9800215810"},  {"vani", "id3019132742"},
        {"vapager", "id259425947"},  {"vapo", "id587394983"},     {"vefel", "id6032624562"},
        {"vepuvur", "id2805788914"}, {"zodeno", "id6465925517"},  {"zonol", "id390484495"},
        {"zove", "id132496685"},     {"zufufu", "id373900009"},
    };
}

} // namespace VUVararer
