#include "LocalHttpServer.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace TestKit {

namespace {

QByteArray reasonPhrase(int code)
{
    switch (code) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

LocalHttpServer::Answer LocalHttpServer::ok(const QByteArray& body, const QByteArray& contentType)
{
    Answer a;
    a.body = body;
    a.headers.append({"Content-Type", contentType});
    return a;
}

LocalHttpServer::Answer LocalHttpServer::status(int code, const QByteArray& body)
{
    Answer a;
    a.status = code;
    a.body = body;
    return a;
}

LocalHttpServer::Answer LocalHttpServer::redirect(int code, const QByteArray& location)
{
    Answer a;
    a.status = code;
    a.body = "<html>moved</html>";
    a.headers.append({"Location", location});
    return a;
}

LocalHttpServer::Answer LocalHttpServer::chunked(const QByteArray& body)
{
    Answer a;
    a.kind = Answer::Chunked;
    a.body = body;
    return a;
}

LocalHttpServer::Answer LocalHttpServer::silent()
{
    Answer a;
    a.kind = Answer::Silent;
    return a;
}

LocalHttpServer::Answer LocalHttpServer::closeEarly()
{
    Answer a;
    a.kind = Answer::CloseEarly;
    return a;
}

LocalHttpServer::Answer LocalHttpServer::raw(const QByteArray& bytes)
{
    Answer a;
    a.kind = Answer::Raw;
    a.body = bytes;
    return a;
}

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    m_defaultAnswer = status(404, "not found");
    m_pServer = new QTcpServer(this);
    m_pServer->listen(QHostAddress(QHostAddress::LocalHost), 0);
    connect(m_pServer, SIGNAL(newConnection()), this, SLOT(slotNewConnection()));
}

LocalHttpServer::~LocalHttpServer()
{
    const QList<QTcpSocket*> sockets = m_pServer->findChildren<QTcpSocket*>();
    for (QTcpSocket* socket : sockets)
        socket->abort();
}

quint16 LocalHttpServer::port() const { return m_pServer->serverPort(); }

QString LocalHttpServer::hostAndPort() const { return QStringLiteral("127.0.0.1:") + QString::number(port()); }

QString LocalHttpServer::base() const { return QStringLiteral("http://") + hostAndPort(); }

void LocalHttpServer::setAnswer(const QString& target, const Answer& answer) { m_hashAnswers.insert(target, answer); }

QStringList LocalHttpServer::targets() const
{
    QStringList lst;
    for (const QString& line : m_lstRequestLines)
        lst.append(line.section(QLatin1Char(' '), 1, 1));
    return lst;
}

int LocalHttpServer::countTargets(const QString& prefix) const
{
    int n = 0;
    for (const QString& target : targets())
        n += target.startsWith(prefix) ? 1 : 0;
    return n;
}

void LocalHttpServer::clear()
{
    m_lstRequestLines.clear();
    m_baLastHeaders.clear();
}

void LocalHttpServer::slotNewConnection()
{
    while (QTcpSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, SIGNAL(readyRead()), this, SLOT(slotReadyRead()));
        connect(socket, SIGNAL(disconnected()), socket, SLOT(deleteLater()));
        connect(socket, &QObject::destroyed, this, [this, socket]() { m_hashPending.remove(socket); });
    }
}

void LocalHttpServer::slotReadyRead()
{
    QTcpSocket* socket = qobject_cast<QTcpSocket*>(sender());
    if (!socket)
        return;
    QByteArray& baPending = m_hashPending[socket];
    baPending += socket->readAll();
    // One request per connection is enough for these clients; later requests on it are answered too.
    for (;;) {
        const int nEnd = baPending.indexOf("\r\n\r\n");
        if (nEnd < 0)
            return;
        const QByteArray baHead = baPending.left(nEnd);
        baPending.remove(0, nEnd + 4);
        const QString strLine = QString::fromLatin1(baHead.left(baHead.indexOf("\r\n")));
        m_lstRequestLines.append(strLine);
        m_baLastHeaders = baHead;
        answer(socket, strLine.section(QLatin1Char(' '), 1, 1));
        if (socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
}

void LocalHttpServer::answer(QTcpSocket* socket, const QString& target)
{
    Answer a =
        m_hashAnswers.value(target, m_hashAnswers.value(target.section(QLatin1Char('?'), 0, 0), m_defaultAnswer));
    switch (a.kind) {
    case Answer::Silent:
        return;
    case Answer::CloseEarly:
        socket->disconnectFromHost();
        return;
    case Answer::Raw:
        socket->write(a.body);
        socket->disconnectFromHost();
        return;
    case Answer::Reply:
    case Answer::Chunked:
        break;
    }
    QByteArray baOut = "HTTP/1.1 " + QByteArray::number(a.status) + ' ' + reasonPhrase(a.status) + "\r\n";
    for (const auto& header : a.headers)
        baOut += header.first + ": " + header.second + "\r\n";
    baOut += "Connection: close\r\n";
    if (a.kind == Answer::Chunked) {
        baOut += "Transfer-Encoding: chunked\r\n\r\n";
        const int nChunk = 7;
        for (int i = 0; i < a.body.size(); i += nChunk) {
            const QByteArray part = a.body.mid(i, nChunk);
            baOut += QByteArray::number(part.size(), 16) + "\r\n" + part + "\r\n";
        }
        baOut += "0\r\n\r\n";
    } else {
        baOut += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n\r\n" + a.body;
    }
    socket->write(baOut);
    socket->disconnectFromHost();
}

} // namespace TestKit
