#include <MTools/SysInfo.h>

#include <QDebug>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <execinfo.h>

namespace MTools {

namespace {

const int kMaxFrames = 100;
// Room for the frames of this file and of any interceptor wrapped around backtrace().
const int kInnerFrames = 8;
const unsigned long kWorkSize = 12800;

// Writes the trace of the function whose return address is pCaller. Frames are numbered from
// that function's own frame (0), so the numbers do not depend on the frames inside this file.
__attribute__((noinline)) void writeTrace(char* pBuffer, unsigned long nSize, int nDepth, int nSkip,
                                          const void* pCaller)
{
    if (!pBuffer || nSize == 0)
        return;
    pBuffer[0] = '\0';
    void* apFrames[kMaxFrames + kInnerFrames];
    const int nFrames = backtrace(apFrames, kMaxFrames + kInnerFrames);
    int nOwn = 0;
    for (int i = 0; i < nFrames; ++i) {
        if (apFrames[i] == pCaller) {
            nOwn = std::max(i - 1, 0);
            break;
        }
    }
    const int nWanted = nDepth <= 0 ? kMaxFrames : std::min(nDepth, kMaxFrames);
    const int nEnd = std::min(nFrames, nOwn + nWanted);
    const int nFirst = nOwn + std::max(nSkip, 0);
    if (nEnd <= nFirst)
        return;
    char** apSymbols = backtrace_symbols(apFrames, nFrames);
    if (!apSymbols)
        return;
    unsigned long nUsed = 0;
    for (int i = nFirst; i < nEnd && nUsed + 1 < nSize; ++i) {
        const unsigned long nLeft = nSize - nUsed;
        const int nIndex = i - nOwn;
        const int nWritten = apSymbols[i]
                                 ? std::snprintf(pBuffer + nUsed, nLeft, "%d %s\n", nIndex, apSymbols[i])
                                 : std::snprintf(pBuffer + nUsed, nLeft, "%d <no symbol> [%p]\n", nIndex, apFrames[i]);
        if (nWritten < 0)
            break;
        nUsed += std::min(static_cast<unsigned long>(nWritten), nLeft - 1);
    }
    std::free(apSymbols);
}

} // namespace

__attribute__((noinline)) void SysInfo::stackTrace(char* pBuffer, unsigned long nSize, int nDepth, int nSkip)
{
    writeTrace(pBuffer, nSize, nDepth, nSkip, __builtin_return_address(0));
    // Keeps this frame on the stack: no tail call.
    asm volatile("");
}

__attribute__((noinline)) QString SysInfo::stackTrace(int nDepth, int nSkip)
{
    std::vector<char> work(kWorkSize, '\0');
    writeTrace(work.data(), kWorkSize - 1, nDepth, std::max(nSkip, 0) + 1, __builtin_return_address(0));
    return QString::fromLatin1(work.data());
}

__attribute__((noinline)) void SysInfo::printStackTrace(int nDepth, int nSkip)
{
    std::vector<char> work(kWorkSize, '\0');
    writeTrace(work.data(), kWorkSize - 1, nDepth, std::max(nSkip, 0) + 1, __builtin_return_address(0));
    qDebug().noquote() << work.data();
}

QString SysInfo::buildText(const char* compilerDate)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QString strBuild = QString::fromLatin1(compilerDate).simplified();
    strBuild.replace(QLatin1Char(' '), QLatin1Char('/'));
    for (int i = 0; i < 12; ++i)
        strBuild.replace(QLatin1String(months[i]), QString::number(i + 1));
    return strBuild;
}

} // namespace MTools
