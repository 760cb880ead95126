#pragma once
// Bookmark data of a folder on Linux: there is no security scope, so the data is the folder's path.

#include <QByteArray>
#include <QUrl>

namespace VUVararer {

class BookmarkData
{
public:
    // The path of a local URL that exists, as UTF-8; empty when there is nothing to bookmark.
    static QByteArray create(const QUrl& url);
    // The URL of the stored path while it still exists; an empty URL otherwise.
    static QUrl resolve(const QByteArray& data);
    // Access needs no scope here, so it always succeeds.
    static bool startAccessing(const QUrl& url);
    static void stopAccessing(const QUrl& url);
};

} // namespace VUVararer
