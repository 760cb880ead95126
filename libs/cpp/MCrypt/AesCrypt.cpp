#include "AesCrypt.h"

#include "KeyBytes.h"
#include "Rijndael.h"

#include <cstring>

namespace MCrypt {

namespace {

constexpr int BlockBytes = 32;

// The first 32 key bytes, filled up with blanks.
void makeKey(const QString& key, unsigned char* out)
{
    const QByteArray bytes = keyBytes(key).left(BlockBytes);
    std::memset(out, 0x20, BlockBytes);
    std::memcpy(out, bytes.constData(), size_t(bytes.size()));
}

void runBlock(Rijndael& cipher, bool forward, const char* in, QByteArray& result)
{
    unsigned int inWords[BlockBytes / sizeof(unsigned int)];
    unsigned int outWords[BlockBytes / sizeof(unsigned int)];
    std::memcpy(inWords, in, BlockBytes);
    if (forward)
        cipher.Encrypt(inWords, outWords);
    else
        cipher.Decrypt(inWords, outWords);
    result.append(reinterpret_cast<const char*>(outWords), BlockBytes);
}

} // namespace

QByteArray AesCrypt::encrypt(const QString& key, const QByteArray& data)
{
    if (!CreateRijndaelTables(true, false))
        return QByteArray();
    unsigned char keyData[BlockBytes];
    makeKey(key, keyData);
    Rijndael cipher;
    cipher.SetParameters(256, 256);
    cipher.StartEncryption(keyData);

    const int whole = data.size() / BlockBytes;
    QByteArray result;
    result.reserve((whole + 1) * BlockBytes);
    for (int i = 0; i < whole; ++i)
        runBlock(cipher, true, data.constData() + i * BlockBytes, result);

    char last[BlockBytes];
    std::memset(last, 0x20, BlockBytes);
    const int rest = data.size() - whole * BlockBytes;
    std::memcpy(last, data.constData() + whole * BlockBytes, rest);
    cipher.StartEncryption(keyData);
    runBlock(cipher, true, last, result);
    return result;
}

QByteArray AesCrypt::decrypt(const QString& key, const QByteArray& data)
{
    if (refuseBlocks("AesCrypt", data, BlockBytes) || !CreateRijndaelTables(true, false))
        return QByteArray();
    unsigned char keyData[BlockBytes];
    makeKey(key, keyData);
    Rijndael cipher;
    cipher.SetParameters(256, 256);
    cipher.StartDecryption(keyData);

    const int whole = data.size() / BlockBytes;
    QByteArray result;
    result.reserve(whole * BlockBytes);
    for (int i = 0; i < whole; ++i)
        runBlock(cipher, false, data.constData() + i * BlockBytes, result);
    return result;
}

} // namespace MCrypt
