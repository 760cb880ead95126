#include "ProgressLine.h"

#include <algorithm>

namespace MGraphX {

ProgressLine::ProgressLine(const int& a, const int& b, const int& c, const int& d, const int& e)
    : m_nA(a), m_nB(b), m_nC(c), m_nD(d), m_nE(e)
{
}

void ProgressLine::progress(const int& value)
{
    if (value < 0)
        return;
    if (value > m_nProgress)
        m_nProgress = value;
    m_nProgress = std::clamp(m_nProgress, 0, 100);
}

void ProgressLine::progressRel(const int& delta)
{
    if (delta < 0)
        return;
    m_nProgress = int(std::clamp(static_cast<long long>(m_nProgress) + delta, 0LL, 100LL));
}

} // namespace MGraphX
