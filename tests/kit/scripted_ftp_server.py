#!/usr/bin/env python3
"""An FTP server for the FTP client's tests that misbehaves as told, each fault once in the server's life.

Serves the folder -d to any user on -i (127.0.0.1 only) port -p, in passive or active mode (data connections only
to 127.0.0.1), and says "listening" once it does. It ends when its standard input closes (the test has gone), and
every wait is bounded. Faults:
  --drop CMD       on CMD close the control connection without a reply
  --drop CMD:N     during the transfer of RETR, LIST or STOR, close both connections after N bytes
  --cut N:CODE     RETR sends N bytes, closes the data connection and replies CODE (226 or 426)
  --abor MODE      answer ABOR during a transfer with 426+226 (the default), 226, 426, 225, 426+200 or none
  --noop CODE      answer NOOP with CODE
  --delay CMD:S    answer CMD S seconds late
  --malformed CMD  send a malformed line before the reply to CMD
  --slow-stor N    STOR reads N bytes a second into a small buffer and replies STOR_PAUSE after the last byte
  --abor-discards  lines that came behind ABOR during a transfer are dropped unread
  --refuse CMD     answer CMD with 502
  --quit-stays     answer QUIT with 221 and keep the connection open
  --junk N         LIST sends N unparsable lines first, JUNK_PACE apart
  --size-words     answer SIZE with "213 N bytes"
  --grow N         RETR adds N bytes to the file before sending it
  --early          in active mode send the transfer's 150 and 226 first and connect EARLY_LEAD later
  --mute CMD       from CMD on answer nothing; "greeting" sends not even the greeting
  --chatter        while muted, send a line that is no reply every CHATTER_PACE
  --rate N         send downloads at N bytes a second
"""
import argparse
import os
import posixpath
import select
import socket
import sys
import threading
import time

IDLE = 60  # seconds a connection may stay silent
WAIT = 10  # seconds for a data connection or a transfer step
ABOR_WAIT = 1  # seconds to wait for ABOR after a client dropped the data connection
LIFETIME = 900  # seconds the server lives at the most
JUNK_PACE = 0.3  # seconds between unparsable listing lines
EARLY_LEAD = 0.2  # seconds the replies of an active transfer go ahead of its connection
STOR_PAUSE = 1.5  # seconds a slow STOR waits after the last byte before it replies
CHATTER_PACE = 0.3  # seconds between lines that are no reply while muted

fired = set()
# Commands that always get the same answer.
ANSWERS = {"USER": "331 Password required.", "PASS": "230 Logged in.", "SYST": "215 UNIX Type: L8",
           "TYPE": "200 Type set.", "NOOP": "200 OK.", "ALLO": "202 No storage allocation necessary."}


def once(fault):
    """True the first time a fault is due."""
    if fault in fired:
        return False
    fired.add(fault)
    return True


class Session:
    def __init__(self, conn, args):
        self.conn, self.args = conn, args
        self.buffer = b""
        self.cwd = "/"
        self.listener = None
        self.active = None
        self.drop_cmd, _, drop_bytes = (args.drop or "").partition(":")
        self.drop_bytes = int(drop_bytes) if drop_bytes else None

    def reply(self, *lines):
        self.conn.sendall("".join(line + "\r\n" for line in lines).encode())

    def readline(self, timeout=IDLE):
        """The next line from the client, None when it has gone or stayed silent."""
        while b"\r\n" not in self.buffer:
            if not select.select([self.conn], [], [], timeout)[0]:
                return None
            chunk = self.conn.recv(4096)
            if not chunk:
                return None
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\r\n", 1)
        return line.decode("utf-8", "replace")

    def pending(self, timeout):
        """True when a line from the client comes within timeout seconds (or the client has gone)."""
        return b"\r\n" in self.buffer or bool(select.select([self.conn], [], [], timeout)[0])

    def local(self, arg):
        """The ftp path and the local path of an argument, never outside the root."""
        path = posixpath.normpath(posixpath.join(self.cwd, arg or "."))
        path = "/" + path.lstrip("/")
        return path, os.path.join(self.args.d, path.lstrip("/"))

    def run(self):
        try:
            muted = self.args.mute == "greeting" and once("mute")
            if not muted:
                self.reply("220 scripted server ready")
            while True:
                if muted and self.args.chatter and not self.pending(CHATTER_PACE):
                    self.reply("this line is no reply")
                    continue
                line = self.readline()
                if line is None:
                    return
                cmd, _, arg = line.partition(" ")
                cmd = cmd.upper()
                muted = muted or (cmd == self.args.mute and once("mute"))
                if muted:
                    continue
                if cmd == self.drop_cmd and self.drop_bytes is None and once("drop"):
                    return
                handler = getattr(self, "ftp_" + cmd, None)
                if self.args.delay and cmd == self.args.delay.split(":")[0] and once("delay"):
                    time.sleep(float(self.args.delay.split(":")[1]))
                if cmd == self.args.malformed and once("malformed"):
                    self.reply("this line is no reply")
                if cmd == self.args.refuse:
                    self.reply("502 Command not implemented.")
                elif cmd == "NOOP" and self.args.noop:
                    self.reply("%s NOOP answered." % self.args.noop)
                elif cmd in ANSWERS:
                    self.reply(ANSWERS[cmd])
                elif handler is None:
                    self.reply("502 Command not implemented.")
                elif handler(arg) is False:
                    return
        except OSError:
            pass
        finally:
            if self.listener:
                self.listener.close()
            self.conn.close()

    def ftp_QUIT(self, arg):
        self.reply("221 Goodbye.")
        return self.args.quit_stays

    def ftp_ABOR(self, arg):
        if self.args.abor != "none":
            self.reply("225 No transfer to abort.")

    def ftp_PWD(self, arg):
        self.reply('257 "%s" is the current directory.' % self.cwd.replace('"', '""'))

    def ftp_CWD(self, arg):
        path, local = self.local(arg)
        if not os.path.isdir(local):
            self.reply("550 No such directory.")
            return
        self.cwd = path
        self.reply("250 Directory changed.")

    def ftp_MKD(self, arg):
        path, local = self.local(arg)
        try:
            os.mkdir(local)
        except OSError:
            self.reply("550 Create directory operation failed.")
            return
        self.reply('257 "%s" created.' % path.replace('"', '""'))

    def ftp_SIZE(self, arg):
        local = self.local(arg)[1]
        if os.path.isfile(local):
            self.reply("213 %d%s" % (os.path.getsize(local), " bytes" if self.args.size_words else ""))
        else:
            self.reply("550 No such file.")

    def ftp_PORT(self, arg):
        fields = arg.split(",")
        self.active = ("127.0.0.1", int(fields[4]) * 256 + int(fields[5]))
        self.reply("200 PORT command successful.")

    def ftp_PASV(self, arg):
        self.active = None
        if self.listener:
            self.listener.close()
        self.listener = socket.socket()
        if self.args.slow_stor:
            # Set before the connection, so that the client's bytes wait in its own buffers.
            self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 65536)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(1)
        self.listener.settimeout(WAIT)
        port = self.listener.getsockname()[1]
        self.reply("227 Entering Passive Mode (127,0,0,1,%d,%d)." % (port >> 8, port & 0xFF))

    def data_connection(self):
        try:
            if self.active:
                sock = socket.create_connection(self.active, WAIT)
            else:
                sock = self.listener.accept()[0] if self.listener else None
        except OSError:
            sock = None
        if sock is None:
            self.reply("425 Can't open data connection.")
            return None
        sock.settimeout(WAIT)
        self.reply("150 Data connection open.")
        return sock

    def ftp_LIST(self, arg):
        local = self.local(arg)[1]
        lines = ""
        for name in sorted(os.listdir(local)):
            path = os.path.join(local, name)
            kind = "drwxr-xr-x" if os.path.isdir(path) else "-rw-r--r--"
            lines += "%s 1 ftp ftp %d Jan 01  2020 %s\r\n" % (kind, os.path.getsize(path), name)
        junk = self.args.junk if once("junk") else 0
        return self.send("LIST", lines.encode(), junk=junk)

    def ftp_RETR(self, arg):
        local = self.local(arg)[1]
        if not os.path.isfile(local):
            self.reply("550 No such file.")
            return None
        if self.args.grow and once("grow"):
            with open(local, "ab") as target:
                target.write(b"g" * self.args.grow)
        with open(local, "rb") as source:
            payload = source.read()
        final = "226 Transfer complete."
        if self.args.cut and once("cut"):
            count, code = self.args.cut.split(":")
            payload = payload[: int(count)]
            final = code + (" Transfer complete." if code == "226" else " Connection closed; transfer aborted.")
        return self.send("RETR", payload, final)

    def send(self, cmd, payload, final="226 Transfer complete.", junk=0):
        if self.args.early and self.active:
            self.reply("150 Data connection follows.", final)
            time.sleep(EARLY_LEAD)
            with socket.create_connection(self.active, WAIT) as sock:
                sock.sendall(payload)
            return None
        sock = self.data_connection()
        if sock is None:
            return None
        drop_at = self.drop_bytes if cmd == self.drop_cmd and self.drop_bytes is not None else None
        step = max(1, self.args.rate // 10) if self.args.rate else 65536
        sent = 0
        try:
            for _ in range(junk):
                sock.sendall(b"this line is no listing\r\n")
                time.sleep(JUNK_PACE)
            while sent < len(payload):
                if drop_at is not None and sent >= drop_at and once("drop"):
                    sock.close()
                    return False
                if self.abor_received(0):
                    return self.answer_abor(sock, True)
                part = payload[sent : sent + step]
                sock.sendall(part)
                sent += len(part)
                if self.args.rate:
                    time.sleep(len(part) / self.args.rate)
        except OSError:
            return self.answer_abor(sock, self.abor_received(ABOR_WAIT))
        if drop_at is not None and once("drop"):
            sock.close()
            return False
        sock.close()
        self.reply(final)
        return None

    def abor_received(self, timeout):
        """True when ABOR has come (it is taken off the input; what follows it stays)."""
        if b"\r\n" not in self.buffer and select.select([self.conn], [], [], timeout)[0]:
            self.buffer += self.conn.recv(4096)
        if self.buffer.upper().startswith(b"ABOR\r\n"):
            self.buffer = self.buffer[6:]
            if self.args.abor_discards:
                self.buffer = b""
                while select.select([self.conn], [], [], 0)[0] and self.conn.recv(4096):
                    pass
            return True
        return False

    def answer_abor(self, sock, abor):
        sock.close()
        if not abor:
            self.reply("426 Connection closed; transfer aborted.")
            return None
        mode = self.args.abor if once("abor") else "426+226"
        lines = {"426+226": ["426 Transfer aborted.", "226 ABOR command successful."],
                 "226": ["226 ABOR command successful."], "426": ["426 Transfer aborted."],
                 "225": ["225 ABOR command successful."], "426+200": ["426 Transfer aborted.", "200 ABOR done."],
                 "none": []}
        self.reply(*lines[mode])
        return None

    def ftp_STOR(self, arg):
        local = self.local(arg)[1]
        sock = self.data_connection()
        if sock is None:
            return None
        drop_at = self.drop_bytes if self.drop_cmd == "STOR" and self.drop_bytes is not None else None
        slow = self.args.slow_stor if once("slow-stor") else 0
        received = b""
        start = time.monotonic()
        try:
            while True:
                chunk = sock.recv(65536)
                if not chunk:
                    break
                received += chunk
                if slow:
                    time.sleep(max(0, start + len(received) / slow - time.monotonic()))
                if drop_at is not None and len(received) >= drop_at and once("drop"):
                    sock.close()
                    return False
        except OSError:
            sock.close()
            self.reply("426 Connection closed; transfer aborted.")
            return None
        sock.close()
        with open(local, "wb") as target:
            target.write(received)
        if slow:
            time.sleep(STOR_PAUSE)
        self.reply("226 Transfer complete.")
        return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("-i", default="127.0.0.1", choices=["127.0.0.1"])
    parser.add_argument("-p", type=int, required=True)
    parser.add_argument("-d", required=True)
    parser.add_argument("--drop")
    parser.add_argument("--cut")
    parser.add_argument("--abor", default="426+226", choices=["426+226", "226", "426", "225", "426+200", "none"])
    parser.add_argument("--noop")
    parser.add_argument("--delay")
    parser.add_argument("--malformed")
    parser.add_argument("--slow-stor", type=int, default=0)
    parser.add_argument("--abor-discards", action="store_true")
    parser.add_argument("--refuse")
    parser.add_argument("--quit-stays", action="store_true")
    parser.add_argument("--junk", type=int, default=0)
    parser.add_argument("--size-words", action="store_true")
    parser.add_argument("--grow", type=int, default=0)
    parser.add_argument("--early", action="store_true")
    parser.add_argument("--mute")
    parser.add_argument("--chatter", action="store_true")
    parser.add_argument("--rate", type=int, default=0)
    args = parser.parse_args()

    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((args.i, args.p))
    server.listen(8)
    print("listening", flush=True)
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
    deadline = threading.Timer(LIFETIME, lambda: os._exit(1))
    deadline.daemon = True
    deadline.start()
    while True:
        conn = server.accept()[0]
        threading.Thread(target=Session(conn, args).run, daemon=True).start()


if __name__ == "__main__":
    main()
