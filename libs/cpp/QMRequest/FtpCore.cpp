#include "FtpCore.h"

#include "FtpCorePrivate.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QTimer>

namespace QMRequest {

QAtomicInt FtpCoreCommand::sm_idCounter(1);

FtpCoreCommand::FtpCoreCommand(FtpCore::Command command, const QStringList& raw, const QByteArray& bytes)
    : m_nId(sm_idCounter.fetchAndAddRelaxed(1)), m_command(command), m_rawCmds(raw), m_pBytes(new QByteArray(bytes)),
      m_bIsByteArray(true)
{
}

FtpCoreCommand::FtpCoreCommand(FtpCore::Command command, const QStringList& raw, QIODevice* dev)
    : m_nId(sm_idCounter.fetchAndAddRelaxed(1)), m_command(command), m_rawCmds(raw), m_pDevice(dev),
      m_bIsByteArray(false)
{
}

FtpCoreCommand::~FtpCoreCommand()
{
    if (m_bIsByteArray)
        delete m_pBytes;
}

FtpCorePrivate::FtpCorePrivate(FtpCore* owner)
    : m_strErrorString(QCoreApplication::translate("QMRequest::FtpCore", "Unknown error")), m_pOwner(owner)
{
}

FtpCorePrivate::~FtpCorePrivate()
{
    m_pi.disconnect(this);
    m_pi.m_dtp.disconnect(m_pOwner);
    qDeleteAll(m_pending);
}

int FtpCorePrivate::addCommand(FtpCoreCommand* cmd, std::initializer_list<QString> arguments)
{
    // A line break or NUL in an argument would let it carry further commands to the server.
    for (const QString& argument : arguments) {
        if (argument.contains(QLatin1Char('\r')) || argument.contains(QLatin1Char('\n')) ||
            argument.contains(QChar(0))) {
            cmd->m_strRefusal = QCoreApplication::translate(
                "QMRequest::FtpCore", "Refused: a name or command must not contain CR, LF or NUL");
            break;
        }
    }
    return addCommand(cmd);
}

int FtpCorePrivate::addCommand(FtpCoreCommand* cmd)
{
    m_pending.append(cmd);
    if (m_pending.count() == 1)
        QTimer::singleShot(0, m_pOwner, [this] { _q_startNextCommand(); });
    return cmd->m_nId;
}

void FtpCorePrivate::_q_startNextCommand()
{
    if (m_pending.isEmpty() || m_pending.first()->m_bStarted)
        return;
    FtpCoreCommand* c = m_pending.first();
    c->m_bStarted = true;

    m_error = FtpCore::NoError;
    m_strErrorString = QStringLiteral("Unknown error");

    if (m_pi.m_dtp.bytesAvailable() > 0)
        m_pi.m_dtp.readAll();
    m_pi.m_dtp.clearError();
    emit m_pOwner->commandStarted(c->m_nId);

    if (!c->m_strRefusal.isEmpty()) {
        _q_piError(FtpCore::UnknownError, c->m_strRefusal);
        return;
    }

    if (c->m_command == FtpCore::Login && !m_strProxyHost.isEmpty() && !c->m_rawCmds.isEmpty()) {
        QString loginString = c->m_rawCmds.first().trimmed();
        loginString += QLatin1Char('@') + m_strHost;
        if (m_nPort && m_nPort != 21)
            loginString += QLatin1Char(':') + QString::number(m_nPort);
        loginString += QLatin1String("\r\n");
        c->m_rawCmds[0] = loginString;
    }

    switch (c->m_command) {
    case FtpCore::SetTransferMode:
        _q_piFinished(QStringLiteral("Transfer mode set"));
        return;
    case FtpCore::SetProxy:
        m_strProxyHost = c->m_rawCmds.value(0);
        m_nProxyPort = quint16(c->m_rawCmds.value(1).toUInt());
        _q_piFinished(QStringLiteral("Proxy set to ") + m_strProxyHost + QLatin1Char(':') +
                      QString::number(m_nProxyPort));
        return;
    case FtpCore::ConnectToHost:
        m_pi.setProperty("_q_networksession", m_pOwner->property("_q_networksession"));
        if (m_strProxyHost.isEmpty()) {
            m_pi.connectToHost(c->m_rawCmds.value(0), quint16(c->m_rawCmds.value(1).toUInt()));
        } else {
            m_strHost = c->m_rawCmds.value(0);
            m_nPort = quint16(c->m_rawCmds.value(1).toUInt());
            m_pi.connectToHost(m_strProxyHost, m_nProxyPort);
        }
        return;
    case FtpCore::Put:
        if (c->m_bIsByteArray) {
            m_pi.m_dtp.setData(c->m_pBytes);
            m_pi.m_dtp.setBytesTotal(c->m_pBytes->size());
        } else if (!c->m_pDevice || !(c->m_pDevice->isOpen() || c->m_pDevice->open(QIODevice::ReadOnly)) ||
                   !c->m_pDevice->isReadable()) {
            // Sending STOR without a source would cut the remote file to nothing.
            _q_piError(FtpCore::UnknownError,
                       QCoreApplication::translate("QMRequest::FtpCore", "Cannot read the upload source: %1")
                           .arg(c->m_pDevice ? c->m_pDevice->errorString() : QStringLiteral("no device")));
            return;
        } else {
            m_pi.m_dtp.setDevice(c->m_pDevice);
            if (c->m_pDevice->isSequential()) {
                m_pi.m_dtp.setBytesTotal(0);
                connect(c->m_pDevice, SIGNAL(readyRead()), &m_pi.m_dtp, SLOT(dataReadyRead()));
                connect(c->m_pDevice, SIGNAL(readChannelFinished()), &m_pi.m_dtp, SLOT(dataReadChannelFinished()));
            } else {
                m_pi.m_dtp.setBytesTotal(c->m_pDevice->size());
            }
        }
        break;
    case FtpCore::Get:
        if (c->m_pDevice && !c->m_pDevice->isWritable()) {
            _q_piError(FtpCore::UnknownError, QCoreApplication::translate(
                                                  "QMRequest::FtpCore", "The download device is not open for writing"));
            return;
        }
        if (c->m_pDevice)
            m_pi.m_dtp.setDevice(c->m_pDevice);
        else
            m_pi.m_dtp.clearData();
        break;
    case FtpCore::Close:
        m_state = FtpCore::Closing;
        emit m_pOwner->stateChanged(m_state);
        break;
    default:
        break;
    }
    m_pi.sendCommands(c->m_rawCmds);
}

void FtpCorePrivate::_q_piFinished(const QString&)
{
    if (m_pending.isEmpty())
        return;
    FtpCoreCommand* c = m_pending.first();
    if (c->m_command == FtpCore::Close && m_state != FtpCore::Unconnected) {
        m_bCloseWaitForStateChange = true;
        return;
    }
    emit m_pOwner->commandFinished(c->m_nId, false);
    m_pending.removeFirst();
    delete c;
    if (m_pending.isEmpty())
        postDone(false);
    else
        _q_startNextCommand();
}

void FtpCorePrivate::postDone(bool bError)
{
    QTimer::singleShot(0, this, [this, bError] {
        if (m_pending.isEmpty())
            emit m_pOwner->done(bError);
    });
}

void FtpCorePrivate::_q_piError(int errorCode, const QString& text)
{
    if (m_pending.isEmpty()) {
        qWarning("FtpCorePrivate::_q_piError was called without pending command!");
        return;
    }
    FtpCoreCommand* c = m_pending.first();

    if (c->m_command == FtpCore::Get && m_pi.currentCommand().startsWith(QLatin1String("SIZE "))) {
        m_pi.m_dtp.setBytesTotal(0);
        return;
    }
    if (c->m_command == FtpCore::Put && m_pi.currentCommand().startsWith(QLatin1String("ALLO ")))
        return;
    m_pi.clearPendingCommands();
    failCommand(errorCode, text);
}

void FtpCorePrivate::failCommand(int errorCode, const QString& text)
{
    FtpCoreCommand* c = m_pending.first();
    m_error = FtpCore::Error(errorCode);
    switch (c->m_command) {
    case FtpCore::ConnectToHost:
        m_strErrorString = QStringLiteral("Connecting to host failed:\n%1").arg(text);
        break;
    case FtpCore::Login:
        m_strErrorString = QStringLiteral("Login failed:\n%1").arg(text);
        break;
    case FtpCore::List:
        m_strErrorString = QStringLiteral("Listing directory failed:\n%1").arg(text);
        break;
    case FtpCore::Cd:
        m_strErrorString = QStringLiteral("Changing directory failed:\n%1").arg(text);
        break;
    case FtpCore::Get:
        m_strErrorString = QStringLiteral("Downloading file failed:\n%1").arg(text);
        break;
    case FtpCore::Put:
        m_strErrorString = QStringLiteral("Uploading file failed:\n%1").arg(text);
        break;
    case FtpCore::Remove:
        m_strErrorString = QStringLiteral("Removing file failed:\n%1").arg(text);
        break;
    case FtpCore::Mkdir:
        m_strErrorString = QStringLiteral("Creating directory failed:\n%1").arg(text);
        break;
    case FtpCore::Rmdir:
        m_strErrorString = QStringLiteral("Removing directory failed:\n%1").arg(text);
        break;
    default:
        m_strErrorString = text;
        break;
    }

    m_pOwner->clearPendingCommands();
    emit m_pOwner->commandFinished(c->m_nId, true);
    m_pending.removeFirst();
    delete c;
    if (m_pending.isEmpty())
        postDone(true);
    else
        _q_startNextCommand();
}

void FtpCorePrivate::_q_piConnectState(int s)
{
    m_state = FtpCore::State(s);
    emit m_pOwner->stateChanged(s);
    // A close also ends when the server goes without a goodbye.
    if (m_bCloseWaitForStateChange ||
        (s == FtpCore::Unconnected && !m_pending.isEmpty() && m_pending.first()->m_command == FtpCore::Close)) {
        m_bCloseWaitForStateChange = false;
        _q_piFinished(QStringLiteral("Connection closed"));
    }
}

void FtpCorePrivate::_q_piFtpReply(int code, const QString& text)
{
    if (!m_pending.isEmpty() && m_pending.first()->m_command == FtpCore::RawCommand) {
        m_pi.m_bRawCommand = true;
        emit m_pOwner->rawCommandReply(code, text);
    }
}

FtpCore::FtpCore(QObject* parent) : QObject(parent), d(new FtpCorePrivate(this))
{
    qRegisterMetaType<QMRequest::UrlInfo>("QMRequest::UrlInfo");
    d->m_strErrorString = tr("Unknown error");
    connect(&d->m_pi, SIGNAL(connectState(int)), d, SLOT(_q_piConnectState(int)));
    connect(&d->m_pi, SIGNAL(finished(QString)), d, SLOT(_q_piFinished(QString)));
    connect(&d->m_pi, SIGNAL(error(int, QString)), d, SLOT(_q_piError(int, QString)));
    connect(&d->m_pi, SIGNAL(rawFtpReply(int, QString)), d, SLOT(_q_piFtpReply(int, QString)));
    connect(&d->m_pi.m_dtp, SIGNAL(readyRead()), this, SIGNAL(readyRead()));
    connect(&d->m_pi.m_dtp, SIGNAL(dataTransferProgress(qint64, qint64)), this,
            SIGNAL(dataTransferProgress(qint64, qint64)));
    connect(&d->m_pi.m_dtp, SIGNAL(listInfo(QMRequest::UrlInfo)), this, SIGNAL(listInfo(QMRequest::UrlInfo)));
}

FtpCore::~FtpCore()
{
    // Receivers may be going too: none hears of this end.
    blockSignals(true);
    abort();
    close();
    delete d;
}

int FtpCore::setTransferMode(TransferMode mode)
{
    const int nId = d->addCommand(new FtpCoreCommand(SetTransferMode, QStringList()));
    d->m_pi.m_bTransferConnectionExtended = true;
    d->m_transferMode = mode;
    return nId;
}

int FtpCore::setProxy(const QString& host, quint16 port)
{
    return d->addCommand(new FtpCoreCommand(SetProxy, QStringList() << host << QString::number(port)));
}

int FtpCore::connectToHost(const QString& host, quint16 port)
{
    const int nId =
        d->addCommand(new FtpCoreCommand(ConnectToHost, QStringList() << host << QString::number(port)), {host});
    d->m_pi.m_bTransferConnectionExtended = true;
    return nId;
}

int FtpCore::login(const QString& user, const QString& password)
{
    QStringList cmds;
    cmds << (QStringLiteral("USER ") + (user.isNull() ? QStringLiteral("anonymous") : user) + QStringLiteral("\r\n"));
    cmds << (QStringLiteral("PASS ") + (password.isNull() ? QStringLiteral("plainsong@") : password) +
             QStringLiteral("\r\n"));
    return d->addCommand(new FtpCoreCommand(Login, cmds), {user, password});
}

int FtpCore::close() { return d->addCommand(new FtpCoreCommand(Close, QStringList(QStringLiteral("QUIT\r\n")))); }

namespace {

QString transferLine(FtpCore::TransferMode mode)
{
    return mode == FtpCore::Passive ? QStringLiteral("PASV\r\n") : QStringLiteral("PORT\r\n");
}

QString typeLine(FtpCore::TransferType type)
{
    return type == FtpCore::Binary ? QStringLiteral("TYPE I\r\n") : QStringLiteral("TYPE A\r\n");
}

} // namespace

int FtpCore::list(const QString& dir)
{
    QStringList cmds;
    cmds << QStringLiteral("TYPE A\r\n") << transferLine(d->m_transferMode);
    cmds << (dir.isEmpty() ? QStringLiteral("LIST\r\n") : QStringLiteral("LIST ") + dir + QStringLiteral("\r\n"));
    return d->addCommand(new FtpCoreCommand(List, cmds), {dir});
}

int FtpCore::cd(const QString& dir)
{
    return d->addCommand(new FtpCoreCommand(Cd, QStringList(QStringLiteral("CWD ") + dir + QStringLiteral("\r\n"))),
                         {dir});
}

int FtpCore::get(const QString& file, QIODevice* dev, TransferType type)
{
    QStringList cmds;
    cmds << typeLine(type) << (QStringLiteral("SIZE ") + file + QStringLiteral("\r\n"))
         << transferLine(d->m_transferMode) << (QStringLiteral("RETR ") + file + QStringLiteral("\r\n"));
    return d->addCommand(new FtpCoreCommand(Get, cmds, dev), {file});
}

int FtpCore::put(const QByteArray& data, const QString& file, TransferType type)
{
    QStringList cmds;
    cmds << typeLine(type) << transferLine(d->m_transferMode)
         << (QStringLiteral("ALLO ") + QString::number(data.size()) + QStringLiteral("\r\n"))
         << (QStringLiteral("STOR ") + file + QStringLiteral("\r\n"));
    return d->addCommand(new FtpCoreCommand(Put, cmds, data), {file});
}

int FtpCore::put(QIODevice* dev, const QString& file, TransferType type)
{
    QStringList cmds;
    cmds << typeLine(type) << transferLine(d->m_transferMode);
    if (dev && !dev->isSequential())
        cmds << (QStringLiteral("ALLO ") + QString::number(dev->size()) + QStringLiteral("\r\n"));
    cmds << (QStringLiteral("STOR ") + file + QStringLiteral("\r\n"));
    return d->addCommand(new FtpCoreCommand(Put, cmds, dev), {file});
}

int FtpCore::remove(const QString& file)
{
    return d->addCommand(
        new FtpCoreCommand(Remove, QStringList(QStringLiteral("DELE ") + file + QStringLiteral("\r\n"))), {file});
}

int FtpCore::mkdir(const QString& dir)
{
    return d->addCommand(new FtpCoreCommand(Mkdir, QStringList(QStringLiteral("MKD ") + dir + QStringLiteral("\r\n"))),
                         {dir});
}

int FtpCore::rmdir(const QString& dir)
{
    return d->addCommand(new FtpCoreCommand(Rmdir, QStringList(QStringLiteral("RMD ") + dir + QStringLiteral("\r\n"))),
                         {dir});
}

int FtpCore::rename(const QString& oldname, const QString& newname)
{
    QStringList cmds;
    cmds << (QStringLiteral("RNFR ") + oldname + QStringLiteral("\r\n"))
         << (QStringLiteral("RNTO ") + newname + QStringLiteral("\r\n"));
    return d->addCommand(new FtpCoreCommand(Rename, cmds), {oldname, newname});
}

int FtpCore::rawCommand(const QString& command)
{
    const QString line = command.trimmed();
    return d->addCommand(new FtpCoreCommand(RawCommand, QStringList(line + QStringLiteral("\r\n"))), {line});
}

qint64 FtpCore::bytesAvailable() const { return d->m_pi.m_dtp.bytesAvailable(); }

qint64 FtpCore::read(char* data, qint64 maxlen) { return d->m_pi.m_dtp.read(data, maxlen); }

QByteArray FtpCore::readAll() { return d->m_pi.m_dtp.readAll(); }

int FtpCore::currentId() const { return d->m_pending.isEmpty() ? 0 : d->m_pending.first()->m_nId; }

QIODevice* FtpCore::currentDevice() const
{
    if (d->m_pending.isEmpty())
        return nullptr;
    const FtpCoreCommand* c = d->m_pending.first();
    return c->m_bIsByteArray ? nullptr : c->m_pDevice;
}

FtpCore::Command FtpCore::currentCommand() const
{
    return d->m_pending.isEmpty() ? None : d->m_pending.first()->m_command;
}

bool FtpCore::hasPendingCommands() const { return d->m_pending.count() > 1; }

void FtpCore::clearPendingCommands()
{
    while (d->m_pending.count() > 1)
        delete d->m_pending.takeLast();
}

FtpCore::State FtpCore::state() const { return d->m_state; }

FtpCore::Error FtpCore::error() const { return d->m_error; }

QString FtpCore::errorString() const { return d->m_strErrorString; }

void FtpCore::abort()
{
    if (d->m_pending.isEmpty())
        return;
    clearPendingCommands();
    const Command command = currentCommand();
    // Until logged in there is no session worth keeping, and a close may as well end at once.
    if (command == ConnectToHost || command == Login || command == Close)
        d->m_pi.dropConnection();
    else
        d->m_pi.abort();
    // A close ends as soon as the connection has gone.
    if (!d->m_pending.isEmpty())
        d->failCommand(UnknownError, tr("Aborted"));
}

void FtpCore::setReplyTimeout(int msec) { d->m_pi.setReplyTimeout(msec); }

} // namespace QMRequest
