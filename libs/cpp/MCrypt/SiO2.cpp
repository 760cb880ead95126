#include "SiO2.h"

#include <QDebug>
#include <QRandomGenerator>

#include <algorithm>
#include <cstring>

namespace MCrypt {

namespace {

unsigned int validCount(unsigned int count) { return std::max(count, 1u); }

unsigned int validSize(unsigned int size) { return std::min(std::max(size, 1u), 256u); }

} // namespace

SiO2::SiO2(const unsigned char* key, const unsigned int& keyLength, const unsigned int& tableCount,
           const unsigned int& tableSize)
    : m_nTableSize(validSize(tableSize)), m_nTableCount(validCount(tableCount)), m_nKeyLength(key ? keyLength : 0)
{
    init(key);
}

SiO2::SiO2(const QByteArray& key, const unsigned int& tableCount, const unsigned int& tableSize)
    : m_nTableSize(validSize(tableSize)), m_nTableCount(validCount(tableCount)), m_nKeyLength(0)
{
    init(key);
}

SiO2::SiO2(const QString& key, const unsigned int& tableCount, const unsigned int& tableSize)
    : SiO2(key.toLatin1(), tableCount, tableSize)
{
}

SiO2::SiO2(const SiO2& other)
    : m_nTableSize(other.m_nTableSize), m_nTableCount(other.m_nTableCount), m_nKeyLength(other.m_nKeyLength)
{
    init(other.m_pKey);
}

SiO2& SiO2::operator=(const SiO2& other)
{
    if (this == &other)
        return *this;
    deinit();
    m_nTableSize = other.m_nTableSize;
    m_nTableCount = other.m_nTableCount;
    m_nKeyLength = other.m_nKeyLength;
    init(other.m_pKey);
    return *this;
}

SiO2::~SiO2() { deinit(); }

void SiO2::init(const QByteArray& key)
{
    m_nKeyLength = static_cast<unsigned int>(key.size());
    init(reinterpret_cast<const unsigned char*>(key.constData()));
}

void SiO2::init(const unsigned char* key)
{
    m_pKey = new unsigned char[std::max(m_nKeyLength, 1u)]();
    if (m_nKeyLength > 0)
        std::memcpy(m_pKey, key, m_nKeyLength);
    m_ppTables = new unsigned char*[m_nTableCount];
    m_ppCryptedTables = new unsigned char*[m_nTableCount];
    for (unsigned int t = 0; t < m_nTableCount; ++t) {
        m_ppTables[t] = new unsigned char[m_nTableSize]();
        m_ppCryptedTables[t] = new unsigned char[m_nTableSize]();
    }
}

void SiO2::deinit()
{
    if (m_ppTables) {
        for (unsigned int t = 0; t < m_nTableCount; ++t) {
            delete[] m_ppTables[t];
            delete[] m_ppCryptedTables[t];
        }
    }
    delete[] m_ppTables;
    delete[] m_ppCryptedTables;
    delete[] m_pKey;
    m_ppTables = nullptr;
    m_ppCryptedTables = nullptr;
    m_pKey = nullptr;
}

void SiO2::mask(unsigned char** from, unsigned char** to) const
{
    unsigned int k = 0;
    for (unsigned int t = 0; t < m_nTableCount; ++t) {
        for (unsigned int j = 0; j < m_nTableSize; ++j) {
            const unsigned int index = k < m_nKeyLength ? k : 0;
            // An empty master key masks with nothing.
            const unsigned char keyByte = m_nKeyLength > 0 ? m_pKey[index] : 0;
            to[t][j] = from[t][j] ^ keyByte;
            k = index + 1;
        }
    }
}

void SiO2::createKeysInternal()
{
    // Fisher-Yates over the identity, drawn from the system's random source.
    QRandomGenerator* generator = QRandomGenerator::system();
    for (unsigned int t = 0; t < m_nTableCount; ++t) {
        unsigned char* table = m_ppTables[t];
        for (unsigned int j = 0; j < m_nTableSize; ++j)
            table[j] = static_cast<unsigned char>(j);
        for (unsigned int j = m_nTableSize - 1; j > 0; --j)
            std::swap(table[j], table[generator->bounded(j + 1)]);
    }
    mask(m_ppTables, m_ppCryptedTables);
}

QByteArray SiO2::createCryptedKey()
{
    createKeysInternal();
    return keyToByteArray(m_ppCryptedTables);
}

void SiO2::setCryptedKey(const QByteArray& masked)
{
    if (static_cast<unsigned int>(masked.size()) != m_nTableCount * m_nTableSize)
        return;
    const char* bytes = masked.constData();
    for (unsigned int t = 0; t < m_nTableCount; ++t)
        std::memcpy(m_ppCryptedTables[t], bytes + t * m_nTableSize, m_nTableSize);
    mask(m_ppCryptedTables, m_ppTables);
}

QByteArray SiO2::keyToByteArray(unsigned char** tables)
{
    QByteArray result;
    result.reserve(static_cast<int>(m_nTableCount * m_nTableSize));
    for (unsigned int t = 0; t < m_nTableCount; ++t)
        result.append(reinterpret_cast<const char*>(tables[t]), static_cast<int>(m_nTableSize));
    return result;
}

bool SiO2::fitsTables(const QByteArray& data) const
{
    for (const char c : data) {
        if (static_cast<unsigned char>(c) >= m_nTableSize) {
            qWarning("SiO2: byte %u lies outside tables of %u entries", unsigned(static_cast<unsigned char>(c)),
                     m_nTableSize);
            return false;
        }
    }
    return true;
}

QByteArray SiO2::createProjection(const QByteArray& data, unsigned char** tables) const
{
    if (!fitsTables(data))
        return QByteArray();
    QByteArray result;
    result.reserve(data.size());
    for (int i = 0; i < data.size(); ++i) {
        const unsigned char* table = tables[static_cast<unsigned int>(i) % m_nTableCount];
        const unsigned char byte = static_cast<unsigned char>(data.at(i));
        for (unsigned int j = 0; j < m_nTableSize; ++j) {
            if (table[j] == byte)
                result.append(static_cast<char>(j));
        }
    }
    return result;
}

QByteArray SiO2::createInvertedProjection(const QByteArray& data, unsigned char** tables) const
{
    if (!fitsTables(data))
        return QByteArray();
    QByteArray result;
    result.reserve(data.size());
    for (int i = 0; i < data.size(); ++i) {
        const unsigned char* table = tables[static_cast<unsigned int>(i) % m_nTableCount];
        result.append(static_cast<char>(table[static_cast<unsigned char>(data.at(i))]));
    }
    return result;
}

QByteArray SiO2::encrypt(const QByteArray& data) const { return createProjection(data, m_ppTables); }

QByteArray SiO2::decrypt(const QByteArray& data) const { return createInvertedProjection(data, m_ppTables); }

void SiO2::runTests()
{
    static const unsigned char testKey[4] = {0x5a, 0xc3, 0x17, 0x9e};
    SiO2 sender(testKey, 4, 1, 256);
    SiO2 receiver(testKey, 4, 1, 256);
    QByteArray original;
    for (int i = 0; i < 100; ++i)
        original.append(static_cast<char>(i));
    receiver.setCryptedKey(sender.createCryptedKey());
    const QByteArray crypted = sender.encrypt(original);
    const QByteArray decrypted = receiver.decrypt(crypted);
    qDebug().noquote() << "!Orig     :" << original.toHex(' ');
    qDebug().noquote() << "!Crypted  :" << crypted.toHex(' ');
    qDebug().noquote() << "!Decrypted:" << decrypted.toHex(' ');
}

void SiO2::dumpKeyArray(unsigned char** tables)
{
    for (unsigned int t = 0; t < m_nTableCount; ++t) {
        QString line;
        for (unsigned int j = 0; j < m_nTableSize; ++j)
            line += QString::number(tables[t][j]) + ",";
        qDebug().noquote() << line;
    }
}

} // namespace MCrypt
