#pragma once
// Records the links opened through QDesktopServices for some schemes instead of opening them.

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace TestKit {

class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit UrlRecorder(const QStringList& schemes = {"http", "https", "mailto", "file", "macappstore"});
    ~UrlRecorder() override;

    QList<QUrl> urls() const { return m_lstUrls; }
    void clear() { m_lstUrls.clear(); }

public slots:
    void slotOpen(const QUrl& url);

private:
    QStringList m_lstSchemes;
    QList<QUrl> m_lstUrls;
};

} // namespace TestKit
