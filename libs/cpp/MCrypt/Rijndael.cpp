#include "Rijndael.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>

unsigned char Rijndael::gf2_8_inv[256];
unsigned char Rijndael::byte_sub[256];
unsigned char Rijndael::inv_byte_sub[256];
unsigned long Rijndael::RCon[60];

namespace {

// Doubles each of the four bytes of a word in GF(2^8).
inline quint32 xtimeWord(quint32 w) { return ((w & 0x7f7f7f7fu) << 1) ^ (((w >> 7) & 0x01010101u) * 0x1bu); }

inline quint32 rotateBytes(quint32 w, int bytes) { return (w >> (8 * bytes)) | (w << (32 - 8 * bytes)); }

inline quint32 loadColumn(const unsigned char* s)
{
    return quint32(s[0]) | (quint32(s[1]) << 8) | (quint32(s[2]) << 16) | (quint32(s[3]) << 24);
}

inline void storeColumn(unsigned char* s, quint32 w)
{
    s[0] = static_cast<unsigned char>(w);
    s[1] = static_cast<unsigned char>(w >> 8);
    s[2] = static_cast<unsigned char>(w >> 16);
    s[3] = static_cast<unsigned char>(w >> 24);
}

// Byte r of the result is 02 a_r + 03 a_r+1 + a_r+2 + a_r+3.
inline quint32 mixWord(quint32 w)
{
    const quint32 r1 = rotateBytes(w, 1);
    return xtimeWord(w ^ r1) ^ r1 ^ rotateBytes(w, 2) ^ rotateBytes(w, 3);
}

unsigned char multiply(unsigned char a, unsigned char b)
{
    unsigned char product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = static_cast<unsigned char>((a << 1) ^ ((a & 0x80) ? 0x1b : 0));
        b >>= 1;
    }
    return product;
}

std::mutex tablesMutex;

} // namespace

void Rijndael::SetParameters(int keyBits, int blockBits)
{
    m_nNb = m_nNk = m_nNr = 0;
    auto valid = [](int bits) { return bits == 128 || bits == 192 || bits == 256; };
    if (!valid(keyBits) || !valid(blockBits))
        return;
    m_nNk = keyBits / 32;
    m_nNb = blockBits / 32;
    m_nBlockBytes = blockBits / 8;
    m_nNr = std::max(m_nNb, m_nNk) + 6;
    m_nC1 = 1;
    m_nC2 = m_nNb == 8 ? 3 : 2;
    m_nC3 = m_nNb == 8 ? 4 : 3;
}

void Rijndael::StartEncryption(const unsigned char* key) { KeyExpansion(key); }

void Rijndael::StartDecryption(const unsigned char* key) { KeyExpansion(key); }

void Rijndael::RotByte(unsigned char* word)
{
    const unsigned char first = word[0];
    word[0] = word[1];
    word[1] = word[2];
    word[2] = word[3];
    word[3] = first;
}

void Rijndael::SubByte(unsigned char* word)
{
    for (int i = 0; i < 4; ++i)
        word[i] = byte_sub[word[i]];
}

void Rijndael::KeyExpansion(const unsigned char* key)
{
    Q_ASSERT_X(m_nNk > 0, "Rijndael::KeyExpansion", "Nk > 0");
    if (m_nNk <= 0)
        return;
    std::memcpy(m_aKeySchedule, key, 4 * m_nNk);
    const int words = m_nNb * (m_nNr + 1);
    for (int i = m_nNk; i < words; ++i) {
        unsigned char t[4];
        std::memcpy(t, m_aKeySchedule + 4 * (i - 1), 4);
        if (i % m_nNk == 0) {
            RotByte(t);
            SubByte(t);
            t[0] ^= static_cast<unsigned char>(RCon[i / m_nNk]);
        } else if (m_nNk > 6 && i % m_nNk == 4) {
            SubByte(t);
        }
        for (int b = 0; b < 4; ++b)
            m_aKeySchedule[4 * i + b] = m_aKeySchedule[4 * (i - m_nNk) + b] ^ t[b];
    }
}

void Rijndael::ByteSub()
{
    for (int i = 0; i < m_nBlockBytes; ++i)
        m_aState[i] = byte_sub[m_aState[i]];
}

void Rijndael::InvByteSub()
{
    for (int i = 0; i < m_nBlockBytes; ++i)
        m_aState[i] = inv_byte_sub[m_aState[i]];
}

void Rijndael::ShiftRow()
{
    unsigned char old[32];
    std::memcpy(old, m_aState, m_nBlockBytes);
    for (int row = 1; row < 4; ++row) {
        const int offset = shift(row);
        for (int c = 0; c < m_nNb; ++c)
            m_aState[row + 4 * c] = old[row + 4 * ((c + offset) % m_nNb)];
    }
}

void Rijndael::InvShiftRow()
{
    unsigned char old[32];
    std::memcpy(old, m_aState, m_nBlockBytes);
    for (int row = 1; row < 4; ++row) {
        const int offset = shift(row);
        for (int c = 0; c < m_nNb; ++c)
            m_aState[row + 4 * ((c + offset) % m_nNb)] = old[row + 4 * c];
    }
}

void Rijndael::MixColumn()
{
    for (int c = 0; c < m_nNb; ++c)
        storeColumn(m_aState + 4 * c, mixWord(loadColumn(m_aState + 4 * c)));
}

void Rijndael::InvMixColumn()
{
    // 0B x^3 + 0D x^2 + 09 x + 0E is (04 x^2 + 05) times the forward polynomial.
    for (int c = 0; c < m_nNb; ++c) {
        const quint32 w = loadColumn(m_aState + 4 * c);
        const quint32 pre = w ^ xtimeWord(xtimeWord(w ^ rotateBytes(w, 2)));
        storeColumn(m_aState + 4 * c, mixWord(pre));
    }
}

void Rijndael::AddRoundKey(int round)
{
    const unsigned char* key = m_aKeySchedule + round * m_nBlockBytes;
    for (int i = 0; i < m_nBlockBytes; ++i)
        m_aState[i] ^= key[i];
}

void Rijndael::Round(int round)
{
    ByteSub();
    ShiftRow();
    MixColumn();
    AddRoundKey(round);
}

void Rijndael::InvRound(int round)
{
    AddRoundKey(round);
    InvMixColumn();
    InvShiftRow();
    InvByteSub();
}

void Rijndael::FinalRound(int round)
{
    ByteSub();
    ShiftRow();
    AddRoundKey(round);
}

void Rijndael::InvFinalRound(int round)
{
    AddRoundKey(round);
    InvShiftRow();
    InvByteSub();
}

void Rijndael::checkState(int round, const unsigned char* check) const
{
    const unsigned char* expected = check + (round - 1) * m_nBlockBytes;
    if (std::memcmp(expected, m_aState, m_nBlockBytes) == 0)
        return;
    std::cerr << "State " << round << " failed:\n";
    std::cerr << "State     : ";
    DumpHex(m_aState, m_nBlockBytes);
    std::cerr << "Should be : ";
    DumpHex(expected, m_nBlockBytes);
}

void Rijndael::Encrypt(const unsigned int* in, unsigned int* out, const unsigned char* check)
{
    std::memcpy(m_aState, in, m_nBlockBytes);
    AddRoundKey(0);
    for (int r = 1; r < m_nNr; ++r) {
        Round(r);
        if (check)
            checkState(r, check);
    }
    FinalRound(m_nNr);
    std::memcpy(out, m_aState, m_nBlockBytes);
}

void Rijndael::Decrypt(const unsigned int* in, unsigned int* out, const unsigned char* check)
{
    std::memcpy(m_aState, in, m_nBlockBytes);
    InvFinalRound(m_nNr);
    for (int r = m_nNr - 1; r >= 1; --r) {
        InvRound(r);
        if (check)
            checkState(r, check);
    }
    AddRoundKey(0);
    std::memcpy(out, m_aState, m_nBlockBytes);
}

unsigned char BitSum(unsigned char byte)
{
    unsigned char sum = 0;
    for (int i = 0; i < 8; ++i)
        sum ^= (byte >> i) & 1;
    return sum;
}

bool CreateRijndaelTables(bool create, bool dump)
{
    unsigned char inv[256] = {};
    for (int v = 1; v < 256; ++v) {
        for (int u = 1; u < 256; ++u) {
            if (multiply(static_cast<unsigned char>(u), static_cast<unsigned char>(v)) == 1) {
                inv[v] = static_cast<unsigned char>(u);
                break;
            }
        }
    }
    unsigned char sub[256];
    for (int v = 0; v < 256; ++v) {
        const unsigned char x = inv[v];
        unsigned char y = 0;
        for (int i = 0; i < 8; ++i) {
            const unsigned char mask = static_cast<unsigned char>(
                (1 << i) | (1 << ((i + 4) % 8)) | (1 << ((i + 5) % 8)) | (1 << ((i + 6) % 8)) | (1 << ((i + 7) % 8)));
            y |= static_cast<unsigned char>(BitSum(x & mask) << i);
        }
        sub[v] = y ^ 0x63;
    }
    unsigned char invSub[256];
    for (int u = 0; u < 256; ++u)
        invSub[sub[u]] = static_cast<unsigned char>(u);
    unsigned long rcon[60] = {};
    rcon[1] = 1;
    for (int i = 2; i <= 58; ++i) {
        unsigned long next = rcon[i - 1] << 1;
        if (next & 0x100)
            next = (next ^ 0x1b) & 0xff;
        rcon[i] = next;
    }

    {
        // Writes only entries that change, so readers of finished tables never see a store.
        std::lock_guard<std::mutex> lock(tablesMutex);
        auto take = [create](auto* stored, const auto* fresh, int count) {
            for (int i = 0; i < count; ++i) {
                if (stored[i] == fresh[i])
                    continue;
                if (!create)
                    return false;
                stored[i] = fresh[i];
            }
            return true;
        };
        if (!take(Rijndael::gf2_8_inv, inv, 256) || !take(Rijndael::byte_sub, sub, 256) ||
            !take(Rijndael::inv_byte_sub, invSub, 256) || !take(Rijndael::RCon, rcon, 60))
            return false;
    }

    if (dump) {
        std::ofstream file("Tables.dat", std::ios::out | std::ios::trunc);
        if (file) {
            DumpCharTable(file, "gf2_8_inv", inv, 256);
            file << "\n\n";
            DumpCharTable(file, "byte_sub", sub, 256);
            file << "\n\n";
            DumpCharTable(file, "inv_byte_sub", invSub, 256);
            file << "\n\n";
            DumpLongTable(file, "RCon", rcon, 60);
        }
    }
    return true;
}

void DumpCharTable(std::ostream& out, const char* name, const unsigned char* table, int count)
{
    out << name << "\n";
    char text[8];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "0x%02x,", table[i]);
        out << text;
        if ((i + 1) % 16 == 0)
            out << "\n";
    }
}

void DumpLongTable(std::ostream& out, const char* name, const unsigned long* table, int count)
{
    out << name << "\n";
    char text[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "0x%08lx,", table[i] & 0xffffffffUL);
        out << text;
        if ((i + 1) % 16 == 0)
            out << "\n";
    }
}

void DumpHex(const unsigned char* bytes, int count)
{
    char text[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof text, "%02x ", bytes[i]);
        std::cerr << text;
    }
    std::cerr << "\n";
}
