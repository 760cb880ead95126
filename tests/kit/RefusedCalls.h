#pragma once
// Refused system calls for a child test process, as a file system that lacks them gives: a library preloaded into the
// child answers them with an error.

#include <QMap>
#include <QStringList>

namespace TestKit {

// Environment entries (for runSelf) under which each named call of the C library (chmod, fchmod, fchmodat, rename,
// renameat2, link, linkat) fails with its errno in the child on files under folder (its absolute path); the child's
// own children run unchanged.
QStringList refusedCalls(const QString& folder, const QMap<QString, int>& calls);

} // namespace TestKit
