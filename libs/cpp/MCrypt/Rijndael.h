#pragma once
// Rijndael block cipher with independent key and block lengths of 128, 192 or 256 bits.

#include <ostream>

class Rijndael
{
public:
    // Chooses the lengths; anything but 128, 192 or 256 leaves the cipher unusable (Nb, Nk, Nr 0).
    void SetParameters(int keyBits, int blockBits);
    // Both expand the key (keyBits / 8 bytes); one schedule serves both directions.
    void StartEncryption(const unsigned char* key);
    void StartDecryption(const unsigned char* key);

    // in and out hold one block each. check is null or the expected state after round r at
    // entry r - 1 (block bytes per entry); a mismatch is reported on the error stream.
    void Encrypt(const unsigned int* in, unsigned int* out, const unsigned char* check = nullptr);
    void Decrypt(const unsigned int* in, unsigned int* out, const unsigned char* check = nullptr);

    int blockWords() const { return m_nNb; }
    int keyWords() const { return m_nNk; }
    int rounds() const { return m_nNr; }
    int blockBytes() const { return m_nBlockBytes; }
    int shift(int row) const { return row == 1 ? m_nC1 : row == 2 ? m_nC2 : row == 3 ? m_nC3 : 0; }

    void ByteSub();
    void InvByteSub();
    void ShiftRow();
    void InvShiftRow();
    void MixColumn();
    void InvMixColumn();
    void AddRoundKey(int round);
    void Round(int round);
    void InvRound(int round);
    void FinalRound(int round);
    void InvFinalRound(int round);
    void KeyExpansion(const unsigned char* key);

    // Key words as four bytes: the first byte moves to the end, and each byte goes through byte_sub.
    static void RotByte(unsigned char* word);
    static void SubByte(unsigned char* word);

    // Process-wide tables, filled by CreateRijndaelTables.
    static unsigned char gf2_8_inv[256];
    static unsigned char byte_sub[256];
    static unsigned char inv_byte_sub[256];
    static unsigned long RCon[60];

private:
    void checkState(int round, const unsigned char* check) const;

    int m_nNb = 0;
    int m_nNk = 0;
    int m_nNr = 0;
    int m_nBlockBytes = 0;
    int m_nC1 = 0;
    int m_nC2 = 0;
    int m_nC3 = 0;
    unsigned char m_aState[32] = {};
    unsigned char m_aKeySchedule[120 * 4] = {};
};

// Computes the tables (create true) or checks the stored ones against a fresh computation
// (create false, false at the first difference); dump writes them to "Tables.dat".
bool CreateRijndaelTables(bool create, bool dump);
// Parity of the byte's eight bits.
unsigned char BitSum(unsigned char byte);
void DumpCharTable(std::ostream& out, const char* name, const unsigned char* table, int count);
void DumpLongTable(std::ostream& out, const char* name, const unsigned long* table, int count);
// Writes the bytes in hexadecimal to the error stream.
void DumpHex(const unsigned char* bytes, int count);
