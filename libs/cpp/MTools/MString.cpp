#include <MTools/MString.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ostream>

#include <sys/stat.h>

namespace {

const char* const kClassUuid = "41c69b52-961b-4eee-b5aa-36a830fc3d81";

char* allocate(uint64_t nLength) { return nLength ? new char[nLength] : nullptr; }

} // namespace

MString::MString() : m_nId(liveCounter()++), m_pData(nullptr), m_nLength(0) {}

MString::MString(const char* pBytes, uint64_t nLength) : m_nId(liveCounter()++), m_pData(nullptr), m_nLength(0)
{
    assign(pBytes, nLength);
}

MString::MString(const MString& other) : m_nId(liveCounter()++), m_pData(nullptr), m_nLength(0)
{
    assign(other.m_pData, other.m_nLength);
}

std::atomic<uint32_t>& MString::liveCounter()
{
    static std::atomic<uint32_t> nCounter{0};
    return nCounter;
}

std::atomic<uint32_t>& MString::counter() const { return liveCounter(); }

MString::~MString()
{
    --liveCounter();
    delete[] m_pData;
}

void MString::assign(const char* pBytes, uint64_t nLength)
{
    char* pNew = allocate(nLength);
    if (nLength) {
        if (pBytes)
            std::memcpy(pNew, pBytes, nLength);
        else
            std::memset(pNew, 0, nLength);
    }
    delete[] m_pData;
    m_pData = pNew;
    m_nLength = nLength;
}

MString& MString::add(const MString& other) { return append(other); }

MString MString::operator+(const MString& other) const
{
    MString result(*this);
    result.append(other);
    return result;
}

char& MString::operator[](uint64_t nIndex) { return m_pData[nIndex]; }

char& MString::at(uint64_t nIndex) { return m_pData[nIndex]; }

bool MString::operator==(const MString& other) const { return isEqual(other); }

bool MString::operator!=(const MString& other) const { return !isEqual(other); }

int MString::compare(const MString& other) const
{
    const uint64_t nCommon = std::min(m_nLength, other.m_nLength);
    for (uint64_t i = 0; i < nCommon; ++i) {
        const signed char a = static_cast<signed char>(m_pData[i]);
        const signed char b = static_cast<signed char>(other.m_pData[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (m_nLength == other.m_nLength)
        return 0;
    return m_nLength < other.m_nLength ? -1 : 1;
}

bool MString::operator>(const MString& other) const { return compare(other) > 0; }

bool MString::operator<(const MString& other) const { return compare(other) < 0; }

bool MString::operator>=(const MString& other) const { return operator>(other) || operator==(other); }

bool MString::operator<=(const MString& other) const { return operator<(other) || operator==(other); }

void MString::printOn(std::ostream& stream) const
{
    for (uint64_t i = 0; i < m_nLength; ++i)
        stream.put(m_pData[i] ? m_pData[i] : ' ');
}

bool MString::isEmpty() const { return m_nLength == 0; }

MString MString::mid(int32_t nFrom, int32_t nTo) const
{
    const int64_t nLength = static_cast<int64_t>(m_nLength);
    const int64_t nStart = std::clamp<int64_t>(nFrom, 0, nLength);
    const int64_t nEnd = std::clamp<int64_t>(nTo, nStart, nLength);
    return MString(m_pData + nStart, static_cast<uint64_t>(nEnd - nStart));
}

MString& MString::operator=(const char* szText)
{
    assign(szText, szText ? std::strlen(szText) : 0);
    return *this;
}

MString& MString::operator=(const MString& other)
{
    if (this != &other)
        assign(other.m_pData, other.m_nLength);
    return *this;
}

MString& MString::append(const MString& other)
{
    const uint64_t nOther = other.m_nLength;
    if (nOther == 0)
        return *this;
    char* pNew = allocate(m_nLength + nOther);
    if (m_nLength)
        std::memcpy(pNew, m_pData, m_nLength);
    std::memcpy(pNew + m_nLength, other.m_pData, nOther);
    delete[] m_pData;
    m_pData = pNew;
    m_nLength += nOther;
    return *this;
}

MString& MString::operator+=(const MString& other) { return append(other); }

MString& MString::reverse()
{
    if (m_nLength > 1)
        std::reverse(m_pData, m_pData + m_nLength);
    return *this;
}

bool MString::isEqual(const MString& other) const
{
    return m_nLength == other.m_nLength && (m_nLength == 0 || std::memcmp(m_pData, other.m_pData, m_nLength) == 0);
}

MString& MString::terminate()
{
    char* pNew = new char[m_nLength + 1];
    if (m_nLength)
        std::memcpy(pNew, m_pData, m_nLength);
    pNew[m_nLength] = '\0';
    delete[] m_pData;
    m_pData = pNew;
    return *this;
}

MString& MString::toUpper()
{
    for (uint64_t i = 0; i < m_nLength; ++i)
        if (m_pData[i] >= 'a' && m_pData[i] <= 'z')
            m_pData[i] = static_cast<char>(m_pData[i] - 'a' + 'A');
    return *this;
}

MString& MString::toLower()
{
    for (uint64_t i = 0; i < m_nLength; ++i)
        if (m_pData[i] >= 'A' && m_pData[i] <= 'Z')
            m_pData[i] = static_cast<char>(m_pData[i] - 'A' + 'a');
    return *this;
}

char* MString::data() { return m_pData; }

const char* MString::constData() const { return m_pData; }

MString& MString::save(const char* szPath)
{
    FILE* pFile = szPath ? std::fopen(szPath, "wb") : nullptr;
    if (!pFile)
        throw "can not create the file";
    const size_t nWritten = m_nLength ? std::fwrite(m_pData, 1, m_nLength, pFile) : 0;
    const int nClosed = std::fclose(pFile);
    if (nWritten != m_nLength || nClosed != 0)
        throw "can not write the file";
    return *this;
}

MString& MString::save(MString& strPath) { return save(strPath.cStr()); }

void MString::print(std::ostream& stream) const
{
    const void* pZero = m_nLength ? std::memchr(m_pData, 0, m_nLength) : nullptr;
    const uint64_t nCount = pZero ? static_cast<uint64_t>(static_cast<const char*>(pZero) - m_pData) : m_nLength;
    stream.write(m_pData, static_cast<std::streamsize>(nCount));
}

MString& MString::load(const char* szPath)
{
    FILE* pFile = szPath ? std::fopen(szPath, "rb") : nullptr;
    if (!pFile)
        throw "can not open the file";
    struct stat info;
    long nSize = -1;
    if (fstat(fileno(pFile), &info) == 0 && S_ISREG(info.st_mode) && std::fseek(pFile, 0, SEEK_END) == 0)
        nSize = std::ftell(pFile);
    std::fclose(pFile);
    if (nSize < 0)
        throw "can not open the file";
    return load(szPath, 0, nSize);
}

MString& MString::load(MString& strPath) { return load(strPath.cStr()); }

MString& MString::load(const char* szPath, int64_t nOffset, int64_t nCount)
{
    if (nOffset < 0 || nCount < 0)
        throw "can not open the file";
    FILE* pFile = szPath ? std::fopen(szPath, "rb") : nullptr;
    if (!pFile)
        throw "can not open the file";
    struct stat info;
    if (fstat(fileno(pFile), &info) != 0 || S_ISDIR(info.st_mode) || fseeko(pFile, nOffset, SEEK_SET) != 0) {
        std::fclose(pFile);
        throw "can not open the file";
    }
    const uint64_t nLength = static_cast<uint64_t>(nCount);
    char* pNew = allocate(nLength);
    const size_t nRead = nLength ? std::fread(pNew, 1, nLength, pFile) : 0;
    std::fclose(pFile);
    if (nRead < nLength)
        std::memset(pNew + nRead, 0, nLength - nRead);
    delete[] m_pData;
    m_pData = pNew;
    m_nLength = nLength;
    return *this;
}

const char* MString::cStr() { return terminate().m_pData; }

int32_t MString::find(const MString& pattern, uint32_t nFrom) const
{
    if (nFrom >= m_nLength)
        return -1;
    const uint64_t nPattern = pattern.m_nLength;
    if (nPattern == 0)
        return static_cast<int32_t>(nFrom);
    for (uint64_t i = nFrom; i + nPattern <= m_nLength; ++i)
        if (std::memcmp(m_pData + i, pattern.m_pData, nPattern) == 0)
            return static_cast<int32_t>(i);
    return -1;
}

uint64_t MString::length() const { return m_nLength; }

MString MString::classUuid() const { return MString(kClassUuid, std::strlen(kClassUuid)); }

MString MString::objectId() const
{
    char szId[16];
    const auto result = std::to_chars(szId, szId + sizeof szId, static_cast<int32_t>(m_nId));
    MString strId = classUuid();
    strId.append(MString(szId, static_cast<uint64_t>(result.ptr - szId)));
    return strId;
}

MString MString::className() const { return MString("MString", 7); }

uint32_t MString::instances() const { return counter(); }
