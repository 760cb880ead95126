#include "SingleAppCheck.h"

#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>

namespace QMRequest {

namespace {

// Every wait ends after this long without progress.
const int kWaitMs = 1000;
// A message ends at its first zero byte (or when an older sender hangs up); the receiver answers with kAck once the
// whole message is in.
const char kEnd = '\0';
const char kAck = '\x06';
// Attempts to take over a marker left behind by a killed instance while another start may do the same.
const int kTakeoverAttempts = 3;

} // namespace

SingleAppCheck::SingleAppCheck(const QString& key) : m_strKey(key)
{
    m_sharedMemory.setKey(m_strKey);
    for (int nAttempt = 0; nAttempt < kTakeoverAttempts; ++nAttempt) {
        if (m_sharedMemory.attach(QSharedMemory::ReadWrite)) {
            if (isServerAlive()) {
                m_bRunning = true;
                return;
            }
            // Nobody listens: the instance that made the marker was killed. The last detach removes the segment.
            m_sharedMemory.detach();
        }
        if (m_sharedMemory.create(1, QSharedMemory::ReadWrite)) {
            m_bRunning = false;
            m_pLocalServer = new QLocalServer(this);
            connect(m_pLocalServer, SIGNAL(newConnection()), this, SLOT(slotReceiveMessage()));
            // This process owns the marker, so a socket file left by a killed instance is stale.
            QLocalServer::removeServer(m_strKey);
            m_pLocalServer->listen(m_strKey);
            return;
        }
        if (m_sharedMemory.error() != QSharedMemory::AlreadyExists)
            break;
    }
    // Either the marker cannot be made, or it stays held by an instance that does not listen.
    m_bRunning = m_sharedMemory.attach(QSharedMemory::ReadWrite);
    if (!m_bRunning)
        qDebug() << "Unable to create single instance.";
}

bool SingleAppCheck::isServerAlive() const
{
    QLocalSocket probe;
    probe.connectToServer(m_strKey, QIODevice::WriteOnly);
    const bool bAlive = probe.waitForConnected(kWaitMs);
    probe.abort();
    return bAlive;
}

void SingleAppCheck::slotReceiveMessage()
{
    if (!m_pLocalServer)
        return;
    QLocalSocket* pSocket = m_pLocalServer->nextPendingConnection();
    if (!pSocket)
        return;
    connect(pSocket, SIGNAL(disconnected()), pSocket, SLOT(deleteLater()));
    QByteArray bytes;
    int nEnd = -1;
    while (nEnd < 0) {
        const bool bMore = pSocket->bytesAvailable() > 0 || pSocket->waitForReadyRead(kWaitMs);
        const int nOld = bytes.size();
        bytes += pSocket->readAll();
        nEnd = bytes.indexOf(kEnd, nOld);
        if (nEnd < 0 && !bMore) {
            const bool bHungUp = pSocket->state() == QLocalSocket::UnconnectedState;
            if (!bHungUp || bytes.isEmpty()) {
                // A start that only checked for this instance hangs up without a word.
                if (!bHungUp)
                    qDebug() << pSocket->errorString();
                pSocket->abort();
                pSocket->deleteLater();
                return;
            }
            nEnd = bytes.size();
        }
    }
    if (pSocket->state() == QLocalSocket::ConnectedState) {
        pSocket->write(&kAck, 1);
        pSocket->waitForBytesWritten(kWaitMs);
    }
    emit messageAvailable(QString::fromUtf8(bytes.left(nEnd)));
    pSocket->disconnectFromServer();
}

bool SingleAppCheck::sendMessage(const QString& message)
{
    if (!m_bRunning)
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_strKey, QIODevice::ReadWrite);
    if (!socket.waitForConnected(kWaitMs)) {
        qDebug() << socket.errorString();
        return false;
    }
    socket.write(message.toUtf8() + kEnd);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kWaitMs)) {
            qDebug() << socket.errorString();
            return false;
        }
    }
    // Only the receiver's answer tells that the whole message arrived.
    if (!socket.waitForReadyRead(kWaitMs) || socket.read(1) != QByteArray(1, kAck)) {
        qDebug() << "No receipt for the message:" << socket.errorString();
        return false;
    }
    socket.disconnectFromServer();
    return true;
}

} // namespace QMRequest
