#pragma once
// In-process HTTP server on 127.0.0.1 with scripted answers; records every request line it receives.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;

namespace TestKit {

class LocalHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Answer
    {
        enum Kind { Reply, Chunked, Silent, CloseEarly, Raw };
        Kind kind = Reply;
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
    };

    static Answer ok(const QByteArray& body, const QByteArray& contentType = "text/plain");
    static Answer status(int code, const QByteArray& body = QByteArray());
    static Answer redirect(int code, const QByteArray& location);
    // Body sent in chunks of 7 bytes with chunked transfer encoding.
    static Answer chunked(const QByteArray& body);
    // Reads the request and never answers.
    static Answer silent();
    // Closes the connection without answering.
    static Answer closeEarly();
    // Sends bytes as they are, then closes.
    static Answer raw(const QByteArray& bytes);

    // Listens on 127.0.0.1 at a free port. Unscripted paths get 404.
    explicit LocalHttpServer(QObject* parent = nullptr);
    ~LocalHttpServer() override;

    quint16 port() const;
    // "127.0.0.1:PORT" and "http://127.0.0.1:PORT".
    QString hostAndPort() const;
    QString base() const;

    // The answer for a request target: first the exact target with its query, then the path alone.
    void setAnswer(const QString& target, const Answer& answer);
    void setDefaultAnswer(const Answer& answer) { m_defaultAnswer = answer; }

    // Request lines in arrival order, "GET /p?q HTTP/1.1".
    QStringList requestLines() const { return m_lstRequestLines; }
    // Request targets ("/p?q") in arrival order.
    QStringList targets() const;
    // Number of recorded targets that start with prefix.
    int countTargets(const QString& prefix) const;
    // Header block of the last request.
    QByteArray lastRequestHeaders() const { return m_baLastHeaders; }
    void clear();

private slots:
    void slotNewConnection();
    void slotReadyRead();

private:
    void answer(QTcpSocket* socket, const QString& target);

    QTcpServer* m_pServer = nullptr;
    QHash<QString, Answer> m_hashAnswers;
    Answer m_defaultAnswer;
    QStringList m_lstRequestLines;
    QByteArray m_baLastHeaders;
    QHash<QTcpSocket*, QByteArray> m_hashPending;
};

} // namespace TestKit
