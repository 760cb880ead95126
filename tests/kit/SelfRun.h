#pragma once
// Runs test functions of the running test executable again in a child process with a changed environment
// (for settings Qt reads only at start-up, such as QT_SCALE_FACTOR).

#include "Tools.h"

#include <QStringList>

namespace TestKit {

// Runs this executable with the given test functions and "NAME=value" environment entries added.
ToolResult runSelf(const QStringList& functions, const QStringList& environment, int timeoutMs = 120000);

} // namespace TestKit
