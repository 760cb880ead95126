#include "SingleAppCheck.h"

#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>

namespace QMRequest {

namespace {
const int kWaitMs = 1000;
}

SingleAppCheck::SingleAppCheck(const QString& key) : m_strKey(key)
{
    m_sharedMemory.setKey(m_strKey);
    if (m_sharedMemory.attach(QSharedMemory::ReadWrite)) {
        m_bRunning = true;
        return;
    }
    m_bRunning = false;
    if (!m_sharedMemory.create(1, QSharedMemory::ReadWrite)) {
        qDebug() << "Unable to create single instance.";
        return;
    }
    m_pLocalServer = new QLocalServer(this);
    connect(m_pLocalServer, SIGNAL(newConnection()), this, SLOT(slotReceiveMessage()));
    // This process owns the marker, so a socket file left by a crashed instance is stale.
    QLocalServer::removeServer(m_strKey);
    m_pLocalServer->listen(m_strKey);
}

void SingleAppCheck::slotReceiveMessage()
{
    if (!m_pLocalServer)
        return;
    QLocalSocket* pSocket = m_pLocalServer->nextPendingConnection();
    if (!pSocket)
        return;
    connect(pSocket, SIGNAL(disconnected()), pSocket, SLOT(deleteLater()));
    if (!pSocket->bytesAvailable() && !pSocket->waitForReadyRead(kWaitMs)) {
        qDebug() << pSocket->errorString();
        return;
    }
    const QByteArray bytes = pSocket->readAll();
    const int nZero = bytes.indexOf('\0');
    const QString message = QString::fromUtf8(nZero < 0 ? bytes : bytes.left(nZero));
    emit messageAvailable(message);
    pSocket->disconnectFromServer();
}

bool SingleAppCheck::sendMessage(const QString& message)
{
    if (!m_bRunning)
        return false;
    QLocalSocket* pSocket = new QLocalSocket(this);
    bool bSent = false;
    pSocket->connectToServer(m_strKey, QIODevice::WriteOnly);
    if (!pSocket->waitForConnected(kWaitMs)) {
        qDebug() << pSocket->errorString();
    } else {
        const QByteArray bytes = message.toUtf8();
        pSocket->write(bytes);
        if (pSocket->bytesToWrite() == 0 || pSocket->waitForBytesWritten(kWaitMs)) {
            pSocket->disconnectFromServer();
            bSent = true;
        } else {
            qDebug() << pSocket->errorString();
        }
    }
    delete pSocket;
    return bSent;
}

} // namespace QMRequest
