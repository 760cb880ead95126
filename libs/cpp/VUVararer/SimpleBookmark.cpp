#include "SimpleBookmark.h"

#include "App.h"
#include "Platform/BookmarkData.h"

#include <QDebug>

namespace VUVararer {

SimpleBookmark::SimpleBookmark(QObject* parent) : QObject(parent) {}

void SimpleBookmark::createBookmark(const QUrl& url)
{
    App::theApp()->setSettingsValue(QStringLiteral("bookmark"), BookmarkData::create(url));
}

QUrl SimpleBookmark::resolvingBookmark()
{
    const QByteArray data = App::theApp()->settingsValue(QStringLiteral("bookmark"), QByteArray()).toByteArray();
    m_urlResolved = BookmarkData::resolve(data);
    return m_urlResolved;
}

QUrl SimpleBookmark::url() const
{
    if (m_urlResolved.isEmpty())
        qDebug("bookmark is not resolved");
    return m_urlResolved;
}

void SimpleBookmark::startAccessingBookmark()
{
    if (m_urlResolved.isEmpty())
        qDebug("bookmark is not resolved");
    else if (!BookmarkData::startAccessing(m_urlResolved))
        qDebug("Can not access");
}

void SimpleBookmark::stopAccessingBookmark()
{
    if (m_urlResolved.isEmpty())
        qDebug("bookmark is not resolved");
    else
        BookmarkData::stopAccessing(m_urlResolved);
}

} // namespace VUVararer
