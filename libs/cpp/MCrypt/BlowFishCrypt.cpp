#include "BlowFishCrypt.h"

#include "BlowFish.h"
#include "KeyBytes.h"

#include <QDebug>
#include <QtEndian>

#include <memory>

namespace MCrypt {

namespace {

constexpr int BlockBytes = 8;

std::unique_ptr<BlowFish> makeCipher(const QString& key)
{
    const QByteArray bytes = keyBytes(key);
    if (bytes.isEmpty()) {
        qWarning("BlowFishCrypt: an empty key is refused");
        return nullptr;
    }
    return std::make_unique<BlowFish>(bytes.constData(), bytes.size());
}

// One block as two big-endian halves, the byte order of the published cipher.
void runBlock(const BlowFish& cipher, bool forward, const char* in, QByteArray& result)
{
    unsigned int left = qFromBigEndian<quint32>(in);
    unsigned int right = qFromBigEndian<quint32>(in + 4);
    if (forward)
        cipher.encrypt(left, right);
    else
        cipher.decrypt(left, right);
    char out[BlockBytes];
    qToBigEndian<quint32>(left, out);
    qToBigEndian<quint32>(right, out + 4);
    result.append(out, BlockBytes);
}

} // namespace

QByteArray BlowFishCrypt::encrypt(const QString& key, const QByteArray& data)
{
    const std::unique_ptr<BlowFish> cipher = makeCipher(key);
    if (!cipher)
        return QByteArray();
    const int whole = data.size() / BlockBytes;
    QByteArray padded = data;
    padded.append(QByteArray((whole + 1) * BlockBytes - data.size(), ' '));
    QByteArray result;
    result.reserve(padded.size());
    for (int i = 0; i <= whole; ++i)
        runBlock(*cipher, true, padded.constData() + i * BlockBytes, result);
    return result;
}

QByteArray BlowFishCrypt::decrypt(const QString& key, const QByteArray& data)
{
    if (refuseBlocks("BlowFishCrypt", data, BlockBytes))
        return QByteArray();
    const std::unique_ptr<BlowFish> cipher = makeCipher(key);
    if (!cipher)
        return QByteArray();
    QByteArray result;
    result.reserve(data.size());
    for (int i = 0; i < data.size(); i += BlockBytes)
        runBlock(*cipher, false, data.constData() + i, result);
    return result;
}

} // namespace MCrypt
