// Fixed-length bit string with bit access, shifts, rotations and bitwise operations.
#pragma once

#include <QtGlobal>

#include <ostream>

namespace MTools {

class Bits
{
public:
    Bits(const int& nBits);
    Bits(const Bits& other);
    Bits& operator=(const Bits& other);
    virtual ~Bits();

    // Copies byteCount() bytes from pData; a null pointer changes nothing.
    void setCode(const char* pData);
    // Sets bits 0 to 31 from uValue, least significant first.
    void setCode(const unsigned& uValue);
    void setBit(const unsigned& uPos, const int& nValue);
    // 0 or 1; 0xFFFFFFFF for a position out of range.
    unsigned getBit(const unsigned& uPos) const;
    // Bits 0 to n-1 as a number (bits 0 to 31 when n is above 32); n must be 1 to 39 and not above the bit count.
    unsigned getCode(const unsigned& n) const;

    // Rotations and shifts by n single places; each returns the bit that moved (or fell out) last, 0 when n is 0.
    int ror(const unsigned& n);
    int rol(const unsigned& n);
    int shr(const unsigned& n);
    int shl(const unsigned& n);

    // Removes the n lowest bits (all of them when n exceeds the bit count).
    Bits& del(const int& n);
    // Appends the other's bits above this string's bits.
    Bits& cat(const Bits& other);
    Bits& xorOp(const Bits& other);
    Bits& orOp(const Bits& other);
    Bits& andOp(const Bits& other);
    // Inverts every byte, padding bits included.
    Bits& negOp();

    // Bits as 0/1 digits from the top position down to bit 0.
    void printOn(std::ostream& os) const;
    // Bits to standard output from bit 0 up, then a line end.
    void print() const;
    // Bytes 0 to 3 as a little-endian signed integer; missing bytes count as 0.
    operator int() const;

    unsigned bitCount() const { return m_uBits; }
    int byteCount() const { return m_nBytes; }

private:
    void resize(quint32 uBits);
    bool bit(quint32 uPos) const { return (m_pData[uPos / 8] >> (uPos % 8)) & 1; }
    void putBit(quint32 uPos, bool bValue);

    unsigned char* m_pData = nullptr;
    quint32 m_uBits = 0;
    qint32 m_nBytes = 0;
};

} // namespace MTools
