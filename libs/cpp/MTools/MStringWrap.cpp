#include <MTools/MStringWrap.h>

#include <charconv>
#include <cstring>
#include <iostream>

namespace MTools {

MStringWrap::MStringWrap(const char* szText) : MString(szText, szText ? std::strlen(szText) : 0) {}

MStringWrap::MStringWrap(const char* pBytes, uint64_t nLength) : MString(pBytes, nLength) {}

MStringWrap::MStringWrap(uint64_t nSize) : MString(nullptr, nSize) {}

MStringWrap::MStringWrap(int nValue) { assignInteger(nValue); }

MStringWrap::MStringWrap(long nValue) { assignInteger(nValue); }

MStringWrap::MStringWrap(long long nValue) { assignInteger(nValue); }

MStringWrap::MStringWrap(unsigned nValue) { assignInteger(nValue); }

MStringWrap::MStringWrap(char cValue) : MString(&cValue, 1) {}

MStringWrap::MStringWrap(float fValue) { assignFixed(fValue); }

MStringWrap::MStringWrap(double dValue) { assignFixed(dValue); }

MStringWrap::MStringWrap(long double dValue) { assignFixed(static_cast<double>(dValue)); }

MStringWrap::~MStringWrap() = default;

template <class N> void MStringWrap::assignInteger(N nValue)
{
    char szText[32];
    const auto result = std::to_chars(szText, szText + sizeof szText, nValue);
    assign(szText, static_cast<uint64_t>(result.ptr - szText));
}

void MStringWrap::assignFixed(double dValue)
{
    // Enough for the longest fixed form of a double: sign, 309 digits, dot, six decimals.
    char szText[330];
    const auto result = std::to_chars(szText, szText + sizeof szText, dValue, std::chars_format::fixed, 6);
    assign(szText, static_cast<uint64_t>(result.ptr - szText));
}

void MStringWrap::test() { std::cout << cStr() << std::endl; }

} // namespace MTools
