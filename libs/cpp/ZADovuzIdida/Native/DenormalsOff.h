#pragma once
// Flushes denormal floats to zero on the calling thread while it lives, then restores the thread's mode. Filters
// ringing out into digital silence (Opus's decoder does, through a whole pause) otherwise compute on values far below
// any sample size at a fraction of their speed.

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace ZADovuzIdida {

class DenormalsOff
{
public:
    DenormalsOff() : m_nSaved(read()) { write(m_nSaved | Flush); }
    ~DenormalsOff() { write(m_nSaved); }
    DenormalsOff(const DenormalsOff&) = delete;
    DenormalsOff& operator=(const DenormalsOff&) = delete;

private:
#if defined(__SSE2__)
    // Flush to zero (results) and denormals are zero (inputs).
    static constexpr unsigned int Flush = 0x8040;
    static unsigned int read() { return _mm_getcsr(); }
    static void write(unsigned int mode) { _mm_setcsr(mode); }
#elif defined(__aarch64__)
    // FZ: both, on this architecture.
    static constexpr unsigned int Flush = 1u << 24;
    static unsigned int read() { return __builtin_aarch64_get_fpcr(); }
    static void write(unsigned int mode) { __builtin_aarch64_set_fpcr(mode); }
#else
    static constexpr unsigned int Flush = 0;
    static unsigned int read() { return 0; }
    static void write(unsigned int) {}
#endif

    const unsigned int m_nSaved;
};

} // namespace ZADovuzIdida
