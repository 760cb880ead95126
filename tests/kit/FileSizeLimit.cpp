#include "FileSizeLimit.h"

#include <csignal>

namespace TestKit {

FileSizeLimit::FileSizeLimit(long long nBytes)
{
    if (getrlimit(RLIMIT_FSIZE, &m_oldLimit) != 0)
        return;
    // Without this the kernel ends the process instead of failing the write.
    m_pOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = m_oldLimit;
    limited.rlim_cur = rlim_t(nBytes);
    m_bActive = setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_oldLimit);
    std::signal(SIGXFSZ, m_pOldHandler);
}

} // namespace TestKit
