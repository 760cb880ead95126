#include "UrlRecorder.h"

#include <QDesktopServices>

namespace TestKit {

UrlRecorder::UrlRecorder(const QStringList& schemes) : m_lstSchemes(schemes)
{
    for (const QString& scheme : m_lstSchemes)
        QDesktopServices::setUrlHandler(scheme, this, "slotOpen");
}

UrlRecorder::~UrlRecorder()
{
    for (const QString& scheme : m_lstSchemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void UrlRecorder::slotOpen(const QUrl& url) { m_lstUrls.append(url); }

} // namespace TestKit
