#include "ScriptedFtpServer.h"

#include "Tools.h"

#include <QDir>
#include <QtTest>

namespace TestKit {

ScriptedFtpServer::ScriptedFtpServer(const QStringList& faults, quint16 port)
    : LocalFtpServer(QStringList{TESTKIT_DIR "/scripted_ftp_server.py"} + faults, true,
                     QHostAddress(QHostAddress::LocalHost), port)
{
    QDir(root()).mkpath("share/inner");
    writeFile(path("share/big.bin"), QByteArray(100000, 'r'));
    writeFile(path("share/inner/small.txt"), "small");
}

void ScriptedFtpServer::addFaultRows(const QVector<Action>& actions)
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("abort");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("active");
    // The client's error kinds and states.
    const int none = 0, unknown = 1, late = 3, lost = 4, out = 0, in = 4;
    const QString closed = "\nHost 127.0.0.1 closed the connection";
    const QString silent = "\nNo reply from host 127.0.0.1 for 1 s";
    const QString aborted = "Downloading file failed:\nAborted";
    const QString abortedMkdir = "Creating directory failed:\nAborted";
    // Servers need not know SYST.
    const QStringList slow{"--rate", "20000", "--refuse", "SYST", "--abor"};
    const struct
    {
        const char* name;
        QStringList faults;
        int action, abort, error;
        QString text;
        int state;
        bool active = false;
    } rows[] = {
        {"abort, 426 and 226", slow + QStringList{"426+226"}, Get, Abort, unknown, aborted, in},
        {"abort, 226 alone", slow + QStringList{"226"}, Get, Abort, unknown, aborted, in},
        {"abort, 426 alone", slow + QStringList{"426"}, Get, Abort, unknown, aborted, in},
        {"abort, 225", slow + QStringList{"225"}, Get, Abort, unknown, aborted, in},
        {"abort, no answer", slow + QStringList{"none"}, Get, AbortUnanswered, unknown, aborted, in},
        {"abort, lines behind ABOR dropped", slow + QStringList{"426+226", "--abor-discards"}, Get, Abort, unknown,
         aborted, in},
        {"abort, 426 and 200", slow + QStringList{"426+200"}, Get, Abort, unknown, aborted, in},
        {"abort, NOOP answered 250", slow + QStringList{"426+226", "--noop", "250"}, Get, Abort, unknown, aborted, in},
        {"abort, NOOP answered 502", slow + QStringList{"426+226", "--noop", "502"}, Get, Abort, unknown, aborted, in},
        // ABOR comes while TYPE waits; the marker goes at the reply timeout, before the answer to TYPE.
        {"abort, TYPE answered late", {"--delay", "TYPE:1.4"}, Get, AbortUnanswered, unknown, aborted, in},
        // ABOR comes while MKD waits; its answer comes first, then ABOR's, then the marker's.
        {"abort, MKD answered 550", {"--delay", "MKD:0.5"}, MkdirTaken, Abort, unknown, abortedMkdir, in},
        {"abort, MKD answered 257", {"--delay", "MKD:0.5"}, Mkdir, Abort, unknown, abortedMkdir, in},
        {"abort, no greeting",
         {"--mute", "greeting"},
         Login,
         Abort,
         unknown,
         "Connecting to host failed:\nAborted",
         out},
        {"dropped after USER", {"--drop", "USER"}, Login, 0, lost, "Login failed:" + closed, out},
        {"dropped on CWD", {"--drop", "CWD"}, Cd, 0, lost, "Changing directory failed:" + closed, out},
        {"dropped in a listing", {"--drop", "LIST:0"}, List, 0, lost, "Listing directory failed:" + closed, out},
        {"dropped in a download", {"--drop", "RETR:50000"}, Get, 0, lost, "Downloading file failed:" + closed, out},
        {"dropped in an upload", {"--drop", "STOR:1"}, Put, 0, lost, "Uploading file failed:" + closed, out},
        {"short download, 226",
         {"--cut", "50000:226"},
         Get,
         0,
         unknown,
         "Downloading file failed:\nThe server announced 100000 bytes but sent 50000",
         in},
        {"short download, 426",
         {"--cut", "50000:426"},
         Get,
         0,
         unknown,
         "Downloading file failed:\nConnection closed; transfer aborted.",
         in},
        {"no greeting", {"--mute", "greeting"}, Login, 0, late, "Connecting to host failed:" + silent, out},
        {"no answer to CWD", {"--mute", "CWD"}, Cd, 0, late, "Changing directory failed:" + silent, out},
        {"no answer to CWD, lines that are no reply",
         {"--mute", "CWD", "--chatter"},
         Cd,
         0,
         late,
         "Changing directory failed:" + silent,
         out},
        {"connection kept after 221", {"--quit-stays"}, Close, 0, none, "", out},
        {"malformed line before a reply", {"--malformed", "CWD"}, Cd, 0, none, "", in},
        // The server reads the last bytes and replies later than the reply timeout, sooner than the upload took.
        {"slow upload", {"--slow-stor", "1000000"}, LongPut, 0, none, "", in},
        {"listing paced by unparsable lines", {"--junk", "5"}, List, 0, none, "", in},
        {"size with a word", {"--size-words"}, Get, 0, none, "", in},
        {"file grown after SIZE", {"--grow", "1000"}, Get, 0, none, "", in},
        {"active listing, replies first", {"--early"}, List, 0, none, "", in, true},
        {"active download, replies first", {"--early"}, Get, 0, none, "", in, true},
    };
    for (const auto& row : rows) {
        if (!actions.isEmpty() && !actions.contains(Action(row.action)))
            continue;
        QTest::newRow(row.name) << row.faults << row.action << row.abort << row.error << row.text << row.state
                                << row.active;
    }
}

} // namespace TestKit
