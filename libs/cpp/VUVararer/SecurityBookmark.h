#pragma once
// Keeps any number of folder bookmarks under "BookmarksGroup/<key>", with a table from URL to key.

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace VUVararer {

class SecurityBookmark : public QObject
{
    Q_OBJECT

public:
    // Reads every stored key into the table.
    explicit SecurityBookmark(QObject* parent = nullptr);

    QStringList bookmarkKeys() const;
    QMap<QUrl, QString> cache() const { return m_mapCache; }
    QUrl url() const;
    void createBookmark(const QUrl& url, const QString& key);
    // Stores url under the first free key bookmark0, bookmark1, ... unless it is stored already.
    void createBookmark(const QUrl& url);
    bool isBookmarkForUrlAvailable(const QUrl& url) const;
    // Resolves the bookmark of url when there is one.
    bool resolvingBookmarkForUrl(const QUrl& url);
    QUrl resolvingBookmark(const QString& key);
    void startAccessingBookmark();
    void stopAccessingBookmark();

private:
    QUrl m_urlResolved;
    QMap<QUrl, QString> m_mapCache;
};

} // namespace VUVararer
