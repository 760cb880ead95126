#include "Os.h"

#include "Platform/Os_Linux.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

Os* Os::s_instance = nullptr;

Os::Os() : QObject(nullptr) { new Os_Linux(this); }

Os::~Os()
{
    if (s_instance == this)
        s_instance = nullptr;
}

Os* Os::instance()
{
    if (!s_instance)
        s_instance = new Os();
    return s_instance;
}

void Os::setAppIconNumber(int n) { Os_Linux::setBadge(n, true); }

void Os::unsetAppIconNumber() { Os_Linux::setBadge(0, false); }

bool Os::isAutorunAtLogon() { return Os_Linux::isAutorun(); }

void Os::changeAutorunAtLogon(bool on) { Os_Linux::changeAutorun(on); }

void Os::hideWindowFromTaskBar(QWidget* widget)
{
    if (widget)
        widget->setWindowFlags(widget->windowFlags() | Qt::Window);
}

QString Os::nativeLibraryName(const QString& name) { return "lib" + name + ".so"; }

void Os::postToTwitter(const QString&, QPixmap, const QUrl&) {}

void Os::postToFacebook(const QString&, QPixmap, const QUrl&) {}

void Os::postToLinkedin(const QString&, QPixmap, const QUrl&) {}

void Os::postToEmail(const QString& text, QPixmap image, const QUrl& url)
{
    QString body;
    QString link;
    QPixmap picture;
    for (const QVariant& item : sharingItems(text, image, url)) {
        if (item.userType() == QMetaType::QString)
            body = item.toString();
        else if (item.userType() == QMetaType::QUrl)
            link = item.toUrl().toString();
        else if (item.userType() == QMetaType::QPixmap)
            picture = item.value<QPixmap>();
    }
    if (!link.isEmpty())
        body += "\n" + link;
    Os_Linux::mail(QCoreApplication::applicationName(), body, picture);
}

QVariantList Os::sharingItems(const QString& text, const QPixmap& image, const QUrl& url)
{
    const bool bText = !text.isEmpty();
    const bool bImage = !image.isNull();
    const bool bLink = !url.isEmpty();
    if (bText && bImage && bLink)
        return {QVariant::fromValue(image), url, text};
    if (bText && bImage)
        return {QVariant::fromValue(image), text};
    if (bText && bLink)
        return {text, url};
    return {text};
}

bool Os::openFolderAndSelectFile(const QString& path) { return Os_Linux::showItem(path); }

bool Os::moveToTrash(const QString& path) { return Os_Linux::trash(path); }

double Os::scaleFactor()
{
    const QScreen* screen =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? qMax(1.0, screen->devicePixelRatio()) : 1.0;
}

void Os::setDisableSleepMode(bool disable) { Os_Linux::inhibitSleep(disable); }

void Os::fbJoin() {}

bool Os::hasSystemReviewPrompt() { return false; }
