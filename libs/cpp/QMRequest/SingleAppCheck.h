#pragma once
// Tells whether another instance of the application runs and carries a text message from a second instance to the
// first.

#include <QObject>
#include <QSharedMemory>
#include <QString>

class QLocalServer;

namespace QMRequest {

class SingleAppCheck : public QObject
{
    Q_OBJECT

public:
    // Attaches to or creates the marker segment named by key; the first instance also listens under key. A marker
    // whose instance no longer listens (it was killed) is taken over.
    explicit SingleAppCheck(const QString& key);

    // True when another instance held the key at construction.
    bool isRunning() const { return m_bRunning; }
    // Sends the message (UTF-8, ended by a zero byte) to the first instance; true only once the first has confirmed
    // the whole message. False for a first instance or when any step makes no progress for 1000 ms. The first
    // instance answers from its event loop, so it must run in another process or thread.
    bool sendMessage(const QString& message);

signals:
    void messageAvailable(const QString& message);

public slots:
    void slotReceiveMessage();

private:
    // True when a first instance accepts connections under the key.
    bool isServerAlive() const;

    bool m_bRunning = false;
    QString m_strKey;
    QSharedMemory m_sharedMemory;
    QLocalServer* m_pLocalServer = nullptr;
};

} // namespace QMRequest
