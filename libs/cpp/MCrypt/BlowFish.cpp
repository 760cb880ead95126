#include "BlowFish.h"

#include "BlowFishTables.h"

#include <algorithm>

static_assert(sizeof(unsigned int) == 4, "Blowfish works on 32-bit halves");

BlowFish::BlowFish(const void* key, int length)
    : m_pS0(new unsigned int[256]), m_pS1(new unsigned int[256]), m_pS2(new unsigned int[256]),
      m_pS3(new unsigned int[256])
{
    std::copy(BlowFishTables::initialP, BlowFishTables::initialP + 18, m_aP);
    std::copy(BlowFishTables::initialS[0], BlowFishTables::initialS[0] + 256, m_pS0);
    std::copy(BlowFishTables::initialS[1], BlowFishTables::initialS[1] + 256, m_pS1);
    std::copy(BlowFishTables::initialS[2], BlowFishTables::initialS[2] + 256, m_pS2);
    std::copy(BlowFishTables::initialS[3], BlowFishTables::initialS[3] + 256, m_pS3);

    const unsigned char* bytes = static_cast<const unsigned char*>(key);
    if (bytes && length > 0) {
        int next = 0;
        for (int i = 0; i < 18; ++i) {
            unsigned int word = 0;
            for (int b = 0; b < 4; ++b) {
                word = (word << 8) | bytes[next];
                next = (next + 1) % length;
            }
            m_aP[i] ^= word;
        }
    }

    unsigned int left = 0;
    unsigned int right = 0;
    for (int i = 0; i < 18; i += 2) {
        encrypt(left, right);
        m_aP[i] = left;
        m_aP[i + 1] = right;
    }
    for (unsigned int* table : {m_pS0, m_pS1, m_pS2, m_pS3}) {
        for (int i = 0; i < 256; i += 2) {
            encrypt(left, right);
            table[i] = left;
            table[i + 1] = right;
        }
    }
}

BlowFish::BlowFish(const BlowFish& other)
    : m_pS0(new unsigned int[256]), m_pS1(new unsigned int[256]), m_pS2(new unsigned int[256]),
      m_pS3(new unsigned int[256])
{
    *this = other;
}

BlowFish& BlowFish::operator=(const BlowFish& other)
{
    if (this != &other) {
        std::copy(other.m_aP, other.m_aP + 18, m_aP);
        std::copy(other.m_pS0, other.m_pS0 + 256, m_pS0);
        std::copy(other.m_pS1, other.m_pS1 + 256, m_pS1);
        std::copy(other.m_pS2, other.m_pS2 + 256, m_pS2);
        std::copy(other.m_pS3, other.m_pS3 + 256, m_pS3);
    }
    return *this;
}

BlowFish::~BlowFish()
{
    delete[] m_pS0;
    delete[] m_pS1;
    delete[] m_pS2;
    delete[] m_pS3;
}

unsigned int BlowFish::F(unsigned int x) const
{
    return ((m_pS0[x >> 24] + m_pS1[(x >> 16) & 255]) ^ m_pS2[(x >> 8) & 255]) + m_pS3[x & 255];
}

void BlowFish::encrypt(unsigned int& left, unsigned int& right) const
{
    unsigned int l = left;
    unsigned int r = right;
    for (int i = 0; i < 16; ++i) {
        l ^= m_aP[i];
        r ^= F(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= m_aP[16];
    l ^= m_aP[17];
    left = l;
    right = r;
}

void BlowFish::decrypt(unsigned int& left, unsigned int& right) const
{
    unsigned int l = left;
    unsigned int r = right;
    for (int i = 17; i > 1; --i) {
        l ^= m_aP[i];
        r ^= F(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= m_aP[1];
    l ^= m_aP[0];
    left = l;
    right = r;
}
