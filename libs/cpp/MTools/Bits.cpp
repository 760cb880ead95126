#include "Bits.h"

#include <cstring>
#include <iostream>

namespace MTools {

Bits::Bits(const int& nBits) { resize(nBits > 0 ? quint32(nBits) : 0); }

Bits::Bits(const Bits& other)
{
    resize(other.m_uBits);
    if (m_nBytes > 0)
        std::memcpy(m_pData, other.m_pData, size_t(m_nBytes));
}

Bits& Bits::operator=(const Bits& other)
{
    if (this != &other) {
        resize(other.m_uBits);
        if (m_nBytes > 0)
            std::memcpy(m_pData, other.m_pData, size_t(m_nBytes));
    }
    return *this;
}

Bits::~Bits() { delete[] m_pData; }

void Bits::resize(quint32 uBits)
{
    delete[] m_pData;
    m_uBits = uBits;
    m_nBytes = qint32((quint64(uBits) + 7) / 8);
    m_pData = new unsigned char[size_t(m_nBytes) + 1]();
}

void Bits::putBit(quint32 uPos, bool bValue)
{
    const unsigned char mask = static_cast<unsigned char>(1u << (uPos % 8));
    if (bValue)
        m_pData[uPos / 8] |= mask;
    else
        m_pData[uPos / 8] &= static_cast<unsigned char>(~mask);
}

void Bits::setCode(const char* pData)
{
    if (pData && m_nBytes > 0)
        std::memcpy(m_pData, pData, size_t(m_nBytes));
}

void Bits::setCode(const unsigned& uValue)
{
    for (unsigned i = 0; i < 32; ++i)
        setBit(i, int((uValue >> i) & 1u));
}

void Bits::setBit(const unsigned& uPos, const int& nValue)
{
    if (uPos >= m_uBits) {
        std::cerr << "Bits::setBit(int,int) Position is out of range" << std::endl;
        return;
    }
    putBit(uPos, nValue != 0);
}

unsigned Bits::getBit(const unsigned& uPos) const
{
    if (uPos >= m_uBits)
        return 0xFFFFFFFFu;
    return bit(uPos) ? 1u : 0u;
}

unsigned Bits::getCode(const unsigned& n) const
{
    if (n == 0 || n > 39 || n > m_uBits) {
        std::cerr << "Bits::getCode(int) Out Of Range" << std::endl;
        return 0;
    }
    unsigned uResult = 0;
    for (unsigned i = 0; i < n && i < 32; ++i)
        if (bit(i))
            uResult |= 1u << i;
    return uResult;
}

int Bits::ror(const unsigned& n)
{
    if (n == 0 || m_uBits == 0)
        return 0;
    // The k-th single rotation moves the bit that started at position (k - 1) mod count.
    const int nLast = bit((n - 1) % m_uBits) ? 1 : 0;
    const quint32 uBy = n % m_uBits;
    if (uBy != 0) {
        const Bits old(*this);
        for (quint32 i = 0; i < m_uBits; ++i)
            putBit(i, old.bit((i + uBy) % m_uBits));
    }
    return nLast;
}

int Bits::rol(const unsigned& n)
{
    if (n == 0 || m_uBits == 0)
        return 0;
    const int nLast = bit(m_uBits - 1 - (n - 1) % m_uBits) ? 1 : 0;
    const quint32 uBy = n % m_uBits;
    if (uBy != 0) {
        const Bits old(*this);
        for (quint32 i = 0; i < m_uBits; ++i)
            putBit((i + uBy) % m_uBits, old.bit(i));
    }
    return nLast;
}

int Bits::shr(const unsigned& n)
{
    if (n == 0 || m_uBits == 0)
        return 0;
    const int nLast = (n <= m_uBits && bit(n - 1)) ? 1 : 0;
    for (quint32 i = 0; i < m_uBits; ++i)
        putBit(i, quint64(i) + n < m_uBits && bit(i + n));
    return nLast;
}

int Bits::shl(const unsigned& n)
{
    if (n == 0 || m_uBits == 0)
        return 0;
    const int nLast = (n <= m_uBits && bit(m_uBits - n)) ? 1 : 0;
    for (quint32 i = m_uBits; i-- > 0;)
        putBit(i, i >= n && bit(i - n));
    return nLast;
}

Bits& Bits::del(const int& n)
{
    if (n <= 0)
        return *this;
    const quint32 uDrop = quint32(n) < m_uBits ? quint32(n) : m_uBits;
    const Bits old(*this);
    resize(old.m_uBits - uDrop);
    for (quint32 i = 0; i < m_uBits; ++i)
        putBit(i, old.bit(i + uDrop));
    return *this;
}

Bits& Bits::cat(const Bits& other)
{
    const Bits low(*this);
    const Bits high(other);
    resize(low.m_uBits + high.m_uBits);
    for (quint32 i = 0; i < low.m_uBits; ++i)
        putBit(i, low.bit(i));
    for (quint32 i = 0; i < high.m_uBits; ++i)
        putBit(low.m_uBits + i, high.bit(i));
    return *this;
}

Bits& Bits::xorOp(const Bits& other)
{
    for (quint32 i = 0; i < m_uBits && i < other.m_uBits; ++i)
        putBit(i, bit(i) != other.bit(i));
    return *this;
}

Bits& Bits::orOp(const Bits& other)
{
    for (quint32 i = 0; i < m_uBits && i < other.m_uBits; ++i)
        putBit(i, bit(i) || other.bit(i));
    return *this;
}

Bits& Bits::andOp(const Bits& other)
{
    for (quint32 i = 0; i < m_uBits; ++i)
        putBit(i, i < other.m_uBits && bit(i) && other.bit(i));
    return *this;
}

Bits& Bits::negOp()
{
    for (qint32 i = 0; i < m_nBytes; ++i)
        m_pData[i] = static_cast<unsigned char>(~m_pData[i]);
    return *this;
}

void Bits::printOn(std::ostream& os) const
{
    for (quint32 i = m_uBits; i-- > 0;)
        os << (bit(i) ? '1' : '0');
}

void Bits::print() const
{
    for (quint32 i = 0; i < m_uBits; ++i)
        std::cout << (bit(i) ? '1' : '0');
    std::cout << std::endl;
}

Bits::operator int() const
{
    quint32 uValue = 0;
    for (qint32 i = 0; i < 4 && i < m_nBytes; ++i)
        uValue |= quint32(m_pData[i]) << (8 * i);
    return int(uValue);
}

} // namespace MTools
