#pragma once
// Caps the size of files this process writes, so that a write past the cap fails (EFBIG) as on a full disk.

#include <sys/resource.h>

namespace TestKit {

class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long nBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool isActive() const { return m_bActive; }

private:
    rlimit m_oldLimit{};
    void (*m_pOldHandler)(int) = nullptr;
    bool m_bActive = false;
};

} // namespace TestKit
