#pragma once
// Command queue of FtpCore: ties the protocol interpreter's signals to the client's public ones.

#include "FtpCore.h"
#include "FtpCorePI.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <initializer_list>

namespace QMRequest {

class FtpCoreCommand
{
public:
    FtpCoreCommand(FtpCore::Command command, const QStringList& raw, const QByteArray& bytes);
    FtpCoreCommand(FtpCore::Command command, const QStringList& raw, QIODevice* dev = nullptr);
    ~FtpCoreCommand();

    FtpCoreCommand(const FtpCoreCommand&) = delete;
    FtpCoreCommand& operator=(const FtpCoreCommand&) = delete;

    int m_nId;
    FtpCore::Command m_command;
    QStringList m_rawCmds;
    QByteArray* m_pBytes = nullptr;
    QIODevice* m_pDevice = nullptr;
    bool m_bIsByteArray;
    bool m_bStarted = false;
    // Why the command must not be sent (an argument with CR, LF or NUL); empty when it may.
    QString m_strRefusal;

    static QAtomicInt sm_idCounter;
};

class FtpCorePrivate : public QObject
{
    Q_OBJECT

public:
    explicit FtpCorePrivate(FtpCore* owner);
    ~FtpCorePrivate() override;

    int addCommand(FtpCoreCommand* cmd);
    // Queues a command whose arguments are checked first; see FtpCoreCommand::m_strRefusal.
    int addCommand(FtpCoreCommand* cmd, std::initializer_list<QString> arguments);
    // Ends the current command as failed with the kind's error string, drops the queue and announces done(true).
    void failCommand(int errorCode, const QString& text);
    // Emits done from the event loop, where nothing of this client is on the stack, unless commands came meanwhile.
    void postDone(bool bError);

    FtpCorePI m_pi;
    QList<FtpCoreCommand*> m_pending;
    bool m_bCloseWaitForStateChange = false;
    FtpCore::State m_state = FtpCore::Unconnected;
    FtpCore::TransferMode m_transferMode = FtpCore::Passive;
    FtpCore::Error m_error = FtpCore::NoError;
    QString m_strErrorString;
    QString m_strHost;
    quint16 m_nPort = 0;
    QString m_strProxyHost;
    quint16 m_nProxyPort = 0;
    FtpCore* m_pOwner;

public slots:
    void _q_startNextCommand();
    void _q_piFinished(const QString&);
    void _q_piError(int, const QString&);
    void _q_piConnectState(int);
    void _q_piFtpReply(int, const QString&);
};

} // namespace QMRequest
