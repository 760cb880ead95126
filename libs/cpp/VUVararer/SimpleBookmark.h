#pragma once
// Keeps one folder bookmark under the setting "bookmark" and opens access to it in a later run.

#include <QObject>
#include <QUrl>

namespace VUVararer {

class SimpleBookmark : public QObject
{
    Q_OBJECT

public:
    explicit SimpleBookmark(QObject* parent = nullptr);

    // Stores bookmark data of url; empty data when none can be made.
    void createBookmark(const QUrl& url);
    // Resolves the stored bookmark and keeps the result for url(), start and stop.
    QUrl resolvingBookmark();
    QUrl url() const;
    void startAccessingBookmark();
    void stopAccessingBookmark();

private:
    QUrl m_urlResolved;
};

} // namespace VUVararer
