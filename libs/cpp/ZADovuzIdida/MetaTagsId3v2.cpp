#include "MetaTagsBase.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdlib>
#include <cstring>
#include <new>

namespace ZADovuzIdida {

namespace {

void putSyncsafe(char* out, unsigned long value)
{
    out[0] = static_cast<char>((value >> 21) & 0x7F);
    out[1] = static_cast<char>((value >> 14) & 0x7F);
    out[2] = static_cast<char>((value >> 7) & 0x7F);
    out[3] = static_cast<char>(value & 0x7F);
}

// Appends one frame (header, optional 0x00 encoding byte, body) to block, which holds *length bytes.
char* appendFrame(char* block, const char* id, bool leadingZero, const char* body, unsigned long len, int* length)
{
    const unsigned long bodySize = len + (leadingZero ? 1 : 0);
    const unsigned long oldLength = block ? static_cast<unsigned long>(*length) : 0;
    char* grown = static_cast<char*>(std::realloc(block, oldLength + 10 + bodySize));
    if (!grown) {
        std::free(block);
        throw std::bad_alloc();
    }
    char* frame = grown + oldLength;
    std::memcpy(frame, id, 4);
    putSyncsafe(frame + 4, bodySize);
    frame[8] = 0;
    frame[9] = 0;
    char* payload = frame + 10;
    if (leadingZero)
        *payload++ = 0;
    if (len)
        std::memcpy(payload, body, len);
    *length = static_cast<int>(oldLength + 10 + bodySize);
    return grown;
}

} // namespace

QByteArray strId3v3(const QString& text) { return QByteArray(1, '\x03') + text.toUtf8(); }

char* MetaTagsBase::id3v2Frame(const char* id, const char* body, unsigned long len, int* length)
{
    return appendFrame(nullptr, id, true, body, len, length);
}

char* MetaTagsBase::addId3v2Frame(char* block, const char* id, const char* body, unsigned long len, int* length)
{
    return appendFrame(block, id, true, body, len, length);
}

char* MetaTagsBase::id3v3Frame(const char* id, const char* body, unsigned long len, int* length)
{
    return appendFrame(nullptr, id, false, body, len, length);
}

char* MetaTagsBase::addId3v3Frame(char* block, const char* id, const char* body, unsigned long len, int* length)
{
    return appendFrame(block, id, false, body, len, length);
}

char* MetaTagsBase::saveId3v2(int* len) const
{
    int length = 10;
    char* block = static_cast<char*>(std::malloc(10));
    if (!block)
        throw std::bad_alloc();
    std::memcpy(block, "ID3\x04\x00\x00\x00\x00\x00\x00", 10);

    auto addText = [&](const char* id, const QString& text) {
        const QByteArray body = strId3v3(text);
        block = addId3v3Frame(block, id, body.constData(), static_cast<unsigned long>(body.size()), &length);
    };
    auto addTextIfSet = [&](const char* id, const QString& text) {
        if (!text.isEmpty())
            addText(id, text);
    };

    addText("TENC", QCoreApplication::applicationName());
    addTextIfSet("TCOM", m_strComposer);
    const int genre = m_vecGenres.indexOf(m_strGenre);
    if (genre >= 0) {
        const QByteArray name = m_vecGenres.at(genre).toLatin1();
        block = addId3v2Frame(block, "TCON", name.constData(), std::strlen(name.constData()), &length);
    }
    addTextIfSet("TPOS", m_strDiscNumber);
    if (!m_strComments.isEmpty()) {
        const QByteArray body = QByteArray("\x03"
                                           "eng",
                                           4) +
                                QByteArray(1, '\0') + m_strComments.toUtf8();
        block = addId3v3Frame(block, "COMM", body.constData(), static_cast<unsigned long>(body.size()), &length);
    }
    addTextIfSet("TPE1", m_strArtist);
    addTextIfSet("TIT2", m_strTitle);
    addTextIfSet("TEXT", m_strLyricist);
    addTextIfSet("TIT3", m_strSubTitle);
    addTextIfSet("TCOP", m_strCopyright);
    addTextIfSet("TRCK", m_strTrackNumber);
    addTextIfSet("TYER", m_strYear);
    addTextIfSet("TALB", m_strAlbum);
    if (!m_imgArtwork.isNull()) {
        // The bytes always match the MIME type: JPEG only for "JPEG", PNG for any other picture type.
        const bool jpeg = m_strPicType == QLatin1String("JPEG");
        QByteArray picture;
        QBuffer buffer(&picture);
        buffer.open(QIODevice::WriteOnly);
        m_imgArtwork.save(&buffer, jpeg ? "JPEG" : "PNG", jpeg ? -1 : 0);
        buffer.close();
        const QByteArray body = QByteArray(jpeg ? "image/jpeg" : "image/png") + QByteArray(3, '\0') + picture;
        block = addId3v2Frame(block, "APIC", body.constData(), static_cast<unsigned long>(body.size()), &length);
    }

    putSyncsafe(block + 6, static_cast<unsigned long>(length - 10));
    *len = length;
    return block;
}

bool MetaTagsBase::writeToMP3(const QString& path)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = source.readAll();
    const bool readOk = source.error() == QFileDevice::NoError;
    source.close();
    if (!readOk)
        return false;

    int length = 0;
    char* tag = saveId3v2(&length);
    QSaveFile target(path);
    bool ok = target.open(QIODevice::WriteOnly);
    ok = ok && target.write(tag, length) == length;
    std::free(tag);
    ok = ok && target.write(content) == content.size();
    if (!ok) {
        target.cancelWriting();
        return false;
    }
    return target.commit();
}

} // namespace ZADovuzIdida
