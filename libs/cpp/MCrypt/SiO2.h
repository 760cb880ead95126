#pragma once
// Position-keyed substitution cipher: random permutation tables, exchanged masked with a master key.

#include <QByteArray>
#include <QString>

namespace MCrypt {

class SiO2
{
public:
    // tableCount tables of tableSize entries; a count of 0 counts as 1, sizes are kept to 1..256.
    SiO2(const unsigned char* key, const unsigned int& keyLength, const unsigned int& tableCount,
         const unsigned int& tableSize);
    SiO2(const QByteArray& key, const unsigned int& tableCount, const unsigned int& tableSize);
    // The key text is taken as Latin-1 bytes.
    SiO2(const QString& key, const unsigned int& tableCount, const unsigned int& tableSize);
    // Copies take the master key and dimensions only; their tables start zero-filled.
    SiO2(const SiO2& other);
    SiO2& operator=(const SiO2& other);
    virtual ~SiO2();

    // Makes new tables from the system's random source and returns their masked form (count x size bytes).
    QByteArray createCryptedKey();
    // Takes the masked form of another object's tables; an array of another length is ignored.
    void setCryptedKey(const QByteArray& masked);

    // Each byte becomes its index in the table of its position. Data with a byte of size or more is refused
    // (empty result and a diagnostic line).
    QByteArray encrypt(const QByteArray& data) const;
    // Each byte becomes the entry it indexes; refuses bytes of size or more like encrypt.
    QByteArray decrypt(const QByteArray& data) const;

    // Enciphers bytes 0 to 99 with one object and deciphers them with another; writes diagnostic lines.
    static void runTests();
    // One diagnostic line per table with its entries in decimal.
    void dumpKeyArray(unsigned char** tables);

protected:
    QByteArray keyToByteArray(unsigned char** tables);
    QByteArray createProjection(const QByteArray& data, unsigned char** tables) const;
    QByteArray createInvertedProjection(const QByteArray& data, unsigned char** tables) const;
    void createKeysInternal();
    void init(const unsigned char* key);
    void init(const QByteArray& key);
    void deinit();

private:
    // False (with a diagnostic line) when a byte of data has no table entry.
    bool fitsTables(const QByteArray& data) const;
    // Walks all entries in order, masking (or unmasking) from into to with the repeated key.
    void mask(unsigned char** from, unsigned char** to) const;

    unsigned int m_nTableSize;
    unsigned int m_nTableCount;
    unsigned char* m_pKey = nullptr;
    unsigned int m_nKeyLength;
    unsigned char** m_ppTables = nullptr;
    unsigned char** m_ppCryptedTables = nullptr;
};

} // namespace MCrypt
