// Facts about the running program: its call stack as text and its build date.
#pragma once

#include <QString>

namespace MTools {

class SysInfo
{
public:
    // Writes one line per frame from index nSkip on: "index symbol" or "index <no symbol> [address]";
    // frame 0 is this function, 1 its caller. nDepth 0 means 100 frames (also the maximum).
    // The text is always zero-terminated within nSize bytes.
    static void stackTrace(char* pBuffer, unsigned long nSize, int nDepth = 0, int nSkip = 0);
    // The same text as a QString, leaving out this function's own frame.
    static QString stackTrace(int nDepth = 0, int nSkip = 0);
    // The same text as one debug line.
    static void printStackTrace(int nDepth = 0, int nSkip = 0);
    // A compiler date ("Mmm dd yyyy", as __DATE__) as the build text "M/d/yyyy".
    static QString buildText(const char* compilerDate);
};

} // namespace MTools
