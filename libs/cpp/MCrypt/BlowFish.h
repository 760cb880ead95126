#pragma once
// Blowfish block cipher: 64-bit blocks as two 32-bit halves, 16 rounds, keys of 1 to 72 bytes.

class BlowFish
{
public:
    // Runs the key schedule; bytes past the 72nd are not used.
    BlowFish(const void* key, int length);
    BlowFish(const BlowFish& other);
    BlowFish& operator=(const BlowFish& other);
    ~BlowFish();

    // Enciphers one block in place, left half first (the block's first four bytes, big-endian).
    void encrypt(unsigned int& left, unsigned int& right) const;
    void decrypt(unsigned int& left, unsigned int& right) const;

    unsigned int F(unsigned int x) const;

private:
    unsigned int m_aP[18];
    unsigned int* m_pS0;
    unsigned int* m_pS1;
    unsigned int* m_pS2;
    unsigned int* m_pS3;
};
