#include "Os_Linux.h"

#include "../Common.h"
#include "../Os.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextStream>
#include <QUrl>

#include <unistd.h>

namespace {

const char* const kLogin1 = "org.freedesktop.login1";
const char* const kLogin1Path = "/org/freedesktop/login1";
const char* const kLogin1Manager = "org.freedesktop.login1.Manager";
const char* const kScreenSaver = "org.freedesktop.ScreenSaver";
const char* const kScreenSaverPath = "/org/freedesktop/ScreenSaver";
const char* const kFileManager = "org.freedesktop.FileManager1";
const char* const kFileManagerPath = "/org/freedesktop/FileManager1";
const char* const kInhibitReason = "Program Running";
const int kCallTimeoutMs = 5000;

// Quotes a path for the Exec key of a desktop entry.
QString quotedExec(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return '"' + quoted + '"';
}

// Key/value pairs of the [Desktop Entry] group; empty when the file cannot be read.
QMap<QString, QString> readDesktopEntry(const QString& path)
{
    QMap<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    bool bInGroup = false;
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            bInGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int eq = line.indexOf('=');
        if (bInGroup && eq > 0)
            entry.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return entry;
}

// True for an entry that starts this executable: ours unless a user hid it.
bool isOwnEntry(const QMap<QString, QString>& entry)
{
    const QString exec = entry.value("Exec");
    const QString self = QCoreApplication::applicationFilePath();
    return (exec == quotedExec(self) || exec == self) &&
           entry.value("Hidden").compare("true", Qt::CaseInsensitive) != 0;
}

// A path inside the files/ folder of a freedesktop trash (home trash or a volume's .Trash-uid).
bool isTrashedPath(const QString& path)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    const QDir filesDir = QFileInfo(path).dir();
    if (filesDir.dirName() != QLatin1String("files"))
        return false;
    const QString trashName = QFileInfo(filesDir.absolutePath()).dir().dirName();
    return trashName == QLatin1String("Trash") || trashName.startsWith(QLatin1String(".Trash"));
}

} // namespace

QList<Os_Linux*> Os_Linux::sm_lstListeners;
QString Os_Linux::sm_strSessionBus;
QString Os_Linux::sm_strSystemBus;
bool Os_Linux::sm_bInhibited = false;
uint Os_Linux::sm_nCookie = 0;
int Os_Linux::sm_nInhibitFd = -1;

Os_Linux::Os_Linux(Os* os) : QObject(os), m_pOs(os)
{
    sm_lstListeners.append(this);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(QCoreApplication::instance(), SIGNAL(commitDataRequest(QSessionManager&)), this,
                SLOT(slotCommitDataRequest()));
    listen();
}

Os_Linux::~Os_Linux()
{
    stopListening();
    sm_lstListeners.removeAll(this);
}

void Os_Linux::setBuses(const QDBusConnection& session, const QDBusConnection& system)
{
    for (Os_Linux* listener : qAsConst(sm_lstListeners))
        listener->stopListening();
    sm_strSessionBus = session.name();
    sm_strSystemBus = system.name();
    for (Os_Linux* listener : qAsConst(sm_lstListeners))
        listener->listen();
}

QDBusConnection Os_Linux::sessionBus()
{
    return sm_strSessionBus.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(sm_strSessionBus);
}

QDBusConnection Os_Linux::systemBus()
{
    return sm_strSystemBus.isEmpty() ? QDBusConnection::systemBus() : QDBusConnection(sm_strSystemBus);
}

void Os_Linux::listen()
{
    QDBusConnection bus = systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(kLogin1, kLogin1Path, kLogin1Manager, "PrepareForSleep", this, SLOT(slotPrepareForSleep(bool)));
    bus.connect(kLogin1, kLogin1Path, kLogin1Manager, "PrepareForShutdown", this, SLOT(slotPrepareForShutdown(bool)));
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kLogin1Manager, "GetSessionByPID");
    call << uint(QCoreApplication::applicationPid());
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, SIGNAL(finished(QDBusPendingCallWatcher*)), SLOT(slotSessionFound(QDBusPendingCallWatcher*)));
}

void Os_Linux::stopListening()
{
    qDeleteAll(findChildren<QDBusPendingCallWatcher*>());
    QDBusConnection bus = systemBus();
    bus.disconnect(kLogin1, kLogin1Path, kLogin1Manager, "PrepareForSleep", this, SLOT(slotPrepareForSleep(bool)));
    bus.disconnect(kLogin1, kLogin1Path, kLogin1Manager, "PrepareForShutdown", this,
                   SLOT(slotPrepareForShutdown(bool)));
    if (!m_strSessionPath.isEmpty())
        bus.disconnect(kLogin1, m_strSessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                       SLOT(slotSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    m_strSessionPath.clear();
}

void Os_Linux::slotSessionFound(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError())
        return;
    m_strSessionPath = reply.value().path();
    systemBus().connect(kLogin1, m_strSessionPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", this,
                        SLOT(slotSessionPropertiesChanged(QString, QVariantMap, QStringList)));
}

void Os_Linux::slotPrepareForSleep(bool start)
{
    if (start)
        emit m_pOs->atSwitchToStandBy();
    else
        emit m_pOs->atWakeUpFromStandBy();
}

void Os_Linux::slotPrepareForShutdown(bool start)
{
    if (start)
        emit m_pOs->atUserLogout();
}

void Os_Linux::slotSessionPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                            const QStringList&)
{
    if (interfaceName == QLatin1String("org.freedesktop.login1.Session") && changed.contains("Active") &&
        !changed.value("Active").toBool())
        emit m_pOs->atUserLogout();
}

void Os_Linux::slotCommitDataRequest() { emit m_pOs->atUserLogout(); }

QString Os_Linux::desktopId()
{
    const QString desktopName = QGuiApplication::desktopFileName();
    if (!desktopName.isEmpty())
        return desktopName;
    return "com." + QCoreApplication::organizationName().toLower().remove(' ') + '.' +
           QCoreApplication::applicationName();
}

QString Os_Linux::autostartPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/" + desktopId() +
           ".desktop";
}

void Os_Linux::setBadge(int count, bool visible)
{
    QString objectPath = "/" + desktopId();
    for (QChar& c : objectPath)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '/')
            c = '_';
    QDBusMessage signal = QDBusMessage::createSignal(objectPath, "com.canonical.Unity.LauncherEntry", "Update");
    QVariantMap properties;
    properties.insert("count", qint64(count));
    properties.insert("count-visible", visible);
    signal << "application://" + desktopId() + ".desktop" << properties;
    sessionBus().send(signal);
}

bool Os_Linux::isAutorun()
{
    return QFileInfo::exists(autostartPath()) && isOwnEntry(readDesktopEntry(autostartPath()));
}

void Os_Linux::changeAutorun(bool on)
{
    const QString path = autostartPath();
    if (!on) {
        if (isOwnEntry(readDesktopEntry(path)))
            QFile::remove(path);
        return;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream << "[Desktop Entry]\n"
           << "Type=Application\n"
           << "Name=" << QCoreApplication::applicationName() << "\n"
           << "Exec=" << quotedExec(QCoreApplication::applicationFilePath()) << "\n"
           << "Hidden=false\n"
           << "X-GNOME-Autostart-enabled=true\n";
    stream.flush();
    file.commit();
}

bool Os_Linux::showItem(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QDBusMessage call = QDBusMessage::createMethodCall(kFileManager, kFileManagerPath, kFileManager, "ShowItems");
    call << QStringList{QString::fromUtf8(QUrl::fromLocalFile(absolute).toEncoded())} << QString();
    const QDBusMessage reply = sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    return VUVararer::Common::openUrl(QUrl::fromLocalFile(QFileInfo(absolute).absolutePath()));
}

bool Os_Linux::trash(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    // Qt reports success and moves the file below the working folder when the data folder is missing.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString trashed;
    if (!QFile::moveToTrash(path, &trashed))
        return false;
    if (isTrashedPath(trashed))
        return true;
    const QFileInfo moved(trashed);
    if (!trashed.isEmpty() && moved.exists() && !QFileInfo::exists(path) && QFile::rename(trashed, path) &&
        moved.dir().dirName() == QLatin1String("files"))
        QFile::remove(moved.dir().absolutePath() + "/../info/" + moved.fileName() + ".trashinfo");
    return false;
}

bool Os_Linux::inhibitThroughScreenSaver()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "Inhibit");
    call << QCoreApplication::applicationName() << QString(kInhibitReason);
    const QDBusMessage reply = sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    sm_nCookie = reply.arguments().constFirst().toUInt();
    return true;
}

bool Os_Linux::inhibitThroughLogind()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kLogin1Manager, "Inhibit");
    call << QString("idle") << QCoreApplication::applicationName() << QString(kInhibitReason) << QString("block");
    const QDBusMessage reply = systemBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const auto descriptor = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
    if (!descriptor.isValid())
        return false;
    sm_nInhibitFd = ::dup(descriptor.fileDescriptor());
    return sm_nInhibitFd >= 0;
}

void Os_Linux::inhibitSleep(bool on)
{
    if (on) {
        if (sm_bInhibited)
            return;
        sm_bInhibited = inhibitThroughScreenSaver() || inhibitThroughLogind();
        return;
    }
    if (!sm_bInhibited)
        return;
    if (sm_nInhibitFd >= 0) {
        ::close(sm_nInhibitFd);
        sm_nInhibitFd = -1;
    } else {
        QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "UnInhibit");
        call << sm_nCookie;
        sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    }
    sm_nCookie = 0;
    sm_bInhibited = false;
}

bool Os_Linux::isSleepInhibited() { return sm_bInhibited; }

void Os_Linux::mail(const QString& subject, const QString& body, const QPixmap& attachment)
{
    const QString program = QStandardPaths::findExecutable("xdg-email");
    if (!program.isEmpty()) {
        QStringList arguments{"--subject", subject, "--body", body};
        if (!attachment.isNull()) {
            // The mail program reads the picture after this call returns, so the file stays.
            QTemporaryFile picture(QDir::tempPath() + "/" + QCoreApplication::applicationName() + "-XXXXXX.png");
            picture.setAutoRemove(false);
            if (picture.open() && attachment.save(&picture, "PNG"))
                arguments << "--attach" << picture.fileName();
        }
        if (QProcess::startDetached(program, arguments))
            return;
    }
    const QByteArray link =
        "mailto:?subject=" + QUrl::toPercentEncoding(subject) + "&body=" + QUrl::toPercentEncoding(body);
    VUVararer::Common::openUrl(QUrl::fromEncoded(link, QUrl::StrictMode));
}
