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
    // Attaches to or creates the marker segment named by key; the first instance also listens under key.
    explicit SingleAppCheck(const QString& key);

    // True when another instance held the key at construction.
    bool isRunning() const { return m_bRunning; }
    // Sends the message (UTF-8) to the first instance; false for a first instance or on a 1000 ms time-out.
    bool sendMessage(const QString& message);

signals:
    void messageAvailable(const QString& message);

public slots:
    void slotReceiveMessage();

private:
    bool m_bRunning = false;
    QString m_strKey;
    QSharedMemory m_sharedMemory;
    QLocalServer* m_pLocalServer = nullptr;
};

} // namespace QMRequest
