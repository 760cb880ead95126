#pragma once
// An FTP server on 127.0.0.1 that misbehaves as told (scripted_ftp_server.py), each fault once, serving a temporary
// folder to any user.

#include "LocalFtpServer.h"

#include <QStringList>
#include <QVector>

namespace TestKit {

class ScriptedFtpServer : public LocalFtpServer
{
public:
    // What a fault row does: a blocking client's call, or the test window's button for it. Put sends a few bytes,
    // LongPut 4 MB; Mkdir makes "share/made", MkdirTaken "share/inner", which exists (the window has no call for
    // these, nor for Get).
    enum Action { Login, Cd, List, Get, Put, LongPut, Mkdir, MkdirTaken, Close };
    // How a row aborts, 200 ms into the action (0: it does not): the server answers in full, so the session is back
    // before a reply timeout could have ended the abort; or it leaves a reply out, so one does.
    enum AbortKind { Abort = 1, AbortUnanswered };

    // faults: the script's options, for example {"--abor", "226"} or {"--drop", "RETR:50000"}. The folder holds
    // "share/big.bin", 100000 bytes, and "share/inner/small.txt"; port 0 takes a free one.
    explicit ScriptedFtpServer(const QStringList& faults = {}, quint16 port = 0);

    // Adds the columns faults, action, abort, error and text (the client's error kind and string, empty without an
    // error, with a reply timeout of 1 s), state (the connection state after it), active (transfers in active mode),
    // and a row for each fault whose action is in actions (all when empty). Get fetches "big.bin" from inside
    // "share", the others start at "/"; a Get without an error replaces the local file with the server's.
    static void addFaultRows(const QVector<Action>& actions = {});
};

} // namespace TestKit
