#include "SecurityBookmark.h"

#include "App.h"
#include "Platform/BookmarkData.h"

#include <QDebug>

namespace VUVararer {

namespace {

QString groupKey(const QString& key) { return QStringLiteral("BookmarksGroup/") + key; }

} // namespace

SecurityBookmark::SecurityBookmark(QObject* parent) : QObject(parent)
{
    const QStringList lstKeys = bookmarkKeys();
    for (const QString& strKey : lstKeys)
        m_mapCache[resolvingBookmark(strKey)] = strKey;
}

QStringList SecurityBookmark::bookmarkKeys() const
{
    App* pApp = App::theApp();
    pApp->settingsBeginGroup(QCoreApplication::applicationName());
    pApp->settingsBeginGroup(QStringLiteral("BookmarksGroup/"));
    const QStringList lstKeys = pApp->settingsChildKeys();
    pApp->settingsEndGroup();
    pApp->settingsEndGroup();
    return lstKeys;
}

QUrl SecurityBookmark::url() const
{
    if (m_urlResolved.isEmpty())
        qDebug("bookmark is not resolved");
    return m_urlResolved;
}

void SecurityBookmark::createBookmark(const QUrl& url, const QString& key)
{
    qDebug("CBM1:0");
    App* pApp = App::theApp();
    if (pApp->isSigned()) {
        qDebug("CBM1:2");
        pApp->setSettingsValue(groupKey(key), BookmarkData::create(url));
    } else {
        qDebug("CBM1:1");
        pApp->setSettingsValue(groupKey(key), url.toLocalFile());
    }
    m_mapCache[url] = key;
}

void SecurityBookmark::createBookmark(const QUrl& url)
{
    qDebug("CBM2:0");
    if (m_mapCache.contains(url)) {
        qDebug("CBM2:1");
        return;
    }
    App* pApp = App::theApp();
    const bool bSigned = pApp->isSigned();
    for (int n = 0;; ++n) {
        const QString strKey = QStringLiteral("bookmark") + QString::number(n);
        qDebug(bSigned ? "CBM2:4" : "CBM2:2");
        const QVariant value = pApp->settingsValue(groupKey(strKey));
        const bool bFree = bSigned ? value.toByteArray().isEmpty() : value.toString().isEmpty();
        if (bFree) {
            qDebug(bSigned ? "CBM2:5" : "CBM2:3");
            createBookmark(url, strKey);
            return;
        }
    }
}

bool SecurityBookmark::isBookmarkForUrlAvailable(const QUrl& url) const { return m_mapCache.contains(url); }

bool SecurityBookmark::resolvingBookmarkForUrl(const QUrl& url)
{
    qDebug("ResBookForURL:0");
    const bool bKnown = m_mapCache.contains(url);
    if (bKnown) {
        qDebug("ResBookForURL:1");
        resolvingBookmark(m_mapCache.value(url));
    }
    qDebug("ResBookForURL:2");
    return bKnown;
}

QUrl SecurityBookmark::resolvingBookmark(const QString& key)
{
    qDebug("ResBookM:0");
    App* pApp = App::theApp();
    if (!pApp->isSigned()) {
        qDebug("ResBookM:1");
        return QUrl::fromLocalFile(pApp->settingsValue(groupKey(key), QString()).toString());
    }
    qDebug("ResBookM:2");
    const QByteArray data = pApp->settingsValue(groupKey(key), QByteArray()).toByteArray();
    qDebug("ResBookM:3");
    m_urlResolved = BookmarkData::resolve(data);
    return m_urlResolved;
}

void SecurityBookmark::startAccessingBookmark()
{
    if (!App::theApp()->isSigned())
        return;
    if (m_urlResolved.isEmpty())
        qDebug("bookmark is not resolved");
    else if (!BookmarkData::startAccessing(m_urlResolved))
        qDebug("Can not access");
}

void SecurityBookmark::stopAccessingBookmark()
{
    if (!App::theApp()->isSigned())
        return;
    if (m_urlResolved.isEmpty())
        qDebug("bookmark is not resolved");
    else
        BookmarkData::stopAccessing(m_urlResolved);
}

} // namespace VUVararer
