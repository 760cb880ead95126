#pragma once
// Reference ciphers for the tests: the openssl tool (AES, Blowfish) and libmcrypt (Rijndael of any block).

#include "Tools.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <mcrypt.h>

namespace CipherOracles {

// Runs "openssl enc" in ECB mode without padding on data; an empty result on failure.
inline QByteArray opensslEcb(const QString& cipher, const QByteArray& key, const QByteArray& data, bool decrypt = false)
{
    QTemporaryDir dir;
    QFile in(dir.filePath("in.bin"));
    if (!in.open(QIODevice::WriteOnly) || in.write(data) != data.size())
        return QByteArray();
    in.close();
    QStringList args{
        "enc",  "-" + cipher,           "-nopad", "-K", QString::fromLatin1(key.toHex()), "-in", in.fileName(),
        "-out", dir.filePath("out.bin")};
    if (decrypt)
        args << "-d";
    if (cipher.startsWith("bf"))
        args << "-provider"
             << "legacy"
             << "-provider"
             << "default";
    const TestKit::ToolResult result = TestKit::runTool("openssl", args, 30000);
    if (result.exitCode != 0) {
        qWarning("openssl: %s", result.err.constData());
        return QByteArray();
    }
    QFile out(dir.filePath("out.bin"));
    if (!out.open(QIODevice::ReadOnly))
        return QByteArray();
    return out.readAll();
}

// Rijndael in ECB mode through libmcrypt ("rijndael-128", "rijndael-192", "rijndael-256").
inline QByteArray mcryptEcb(const char* algorithm, const QByteArray& key, const QByteArray& data, bool decrypt = false)
{
    MCRYPT td = mcrypt_module_open(const_cast<char*>(algorithm), nullptr, const_cast<char*>("ecb"), nullptr);
    if (td == MCRYPT_FAILED)
        return QByteArray();
    QByteArray keyCopy = key;
    QByteArray buffer = data;
    QByteArray result;
    if (mcrypt_generic_init(td, keyCopy.data(), keyCopy.size(), nullptr) >= 0) {
        const int rc = decrypt ? mdecrypt_generic(td, buffer.data(), buffer.size())
                               : mcrypt_generic(td, buffer.data(), buffer.size());
        if (rc == 0)
            result = buffer;
        mcrypt_generic_deinit(td);
    }
    mcrypt_module_close(td);
    return result;
}

inline QByteArray randomBytes(QRandomGenerator& generator, int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(generator.bounded(256));
    return bytes;
}

} // namespace CipherOracles
