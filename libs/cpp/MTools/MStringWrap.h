// Byte string with constructors from C strings, characters and numbers.
#pragma once

#include <MTools/MString.h>

namespace MTools {

class MStringWrap : public MString
{
public:
    MStringWrap(const char* szText);
    MStringWrap(const char* pBytes, uint64_t nLength);
    // A zero-filled buffer of nSize bytes for the caller to fill.
    explicit MStringWrap(uint64_t nSize);
    MStringWrap(int nValue);
    MStringWrap(long nValue);
    MStringWrap(long long nValue);
    MStringWrap(unsigned nValue);
    MStringWrap(char cValue);
    // Six decimals, always with a dot, whatever the locale.
    MStringWrap(float fValue);
    MStringWrap(double dValue);
    MStringWrap(long double dValue);
    ~MStringWrap() override;

    using MString::operator=;

    // Writes the text and a line end to the standard output.
    virtual void test();

private:
    void assignFixed(double dValue);
    template <class N> void assignInteger(N nValue);
};

} // namespace MTools
