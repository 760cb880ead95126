#pragma once
// System-call faults in the processes a test starts, as a drive or a system that fails those calls gives: a library
// preloaded into them (injected_faults.c) makes the calls fail.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>

#include <optional>

namespace TestKit {

// Faults by name, each with its number: a call of the C library (chmod, fchmod, fchmodat, rename, renameat2, link,
// linkat) fails with that errno; "fsync-folder" and "fsync-file" make fsync of a folder or of a regular file fail
// with it; "raise-on-create" makes the process raise that signal as soon as it has made a file with O_EXCL.
using Faults = QMap<QString, int>;

// Environment entries (for runSelf) under which the faults strike in the child on files under folder (its absolute
// path); the child's own children run unchanged.
QStringList refusedCalls(const QString& folder, const Faults& faults);

// Every change of a file's mode refused with error.
Faults modeRefused(int error);
// The rows of a test of refused mode changes: an "error" column, as a FUSE drive (ENOSYS) and a FAT or exFAT
// driver (EPERM) refuse them.
void addModeRefusedRows();

// While it lives, the processes named program that this process starts, and their children, suffer the faults on
// every file.
class InjectedFault
{
public:
    explicit InjectedFault(const Faults& faults, const QString& program = "afconvert");
    ~InjectedFault();
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;

private:
    // Each environment variable set, with its value before (none when it was not set).
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_lstSaved;
};

} // namespace TestKit
