#include "NativeMetaTags.h"

#include "Native/TagLibInfoSource.h"

#include <QDebug>

#include <algorithm>

namespace ZADovuzIdida {

namespace {

const char* id3FetchError(int status)
{
    switch (status) {
    case 0x21666d74:
        return "Error: audio format unknown format error";
    case 0x2173697a:
        return "Error: audio format bad property size error";
    case 0x21737063:
        return "Error: audio format bad specifier size error";
    case 0x666d743f:
        return "Error: audio format unsupported data format error";
    case 0x70726f70:
        return "Error: audio format unsupported property error";
    case 0x77686174:
        return "Error: audio format unspecified error";
    default:
        return "Error: unknown audio format error";
    }
}

} // namespace

AudioFileInfo NativeMetaTags::audioFileInfo(const QString& path) const { return TagLibInfoSource::read(path); }

bool NativeMetaTags::readFromCO(const QString& path)
{
    m_strInputFile = path;
    const AudioFileInfo file = audioFileInfo(path);
    checkResult(file.openStatus, "ExtAudioFileOpenURL failed");

    checkResult(file.id3Status, "Couldn't get AudioFileGetPropertyInfo");
    if (file.id3Status != 0) {
        qDebug().noquote() << "AudioFormatGetProperty_ID3TagSize failed";
        qDebug().noquote() << id3FetchError(file.id3Status);
    }

    const QVariantMap* dictionary = &file.info;
    if (file.infoStatus != 0) {
        qDebug().noquote() << "AudioFileGetProperty failed for property info dictionary";
        dictionary = nullptr;
    }
    const struct
    {
        const char* key;
        QString* field;
    } fields[] = {{"album", &m_strAlbum},
                  {"title", &m_strTitle},
                  {"approximate duration in seconds", &m_strApproximateDurationInSeconds},
                  {"artist", &m_strArtist},
                  {"tempo", nullptr},
                  {"key signature", &m_strKeySignature},
                  {"time signature", &m_strTimeSignature},
                  {"track number", &m_strTrackNumber},
                  {"year", &m_strYear},
                  {"composer", &m_strComposer},
                  {"lyricist", &m_strLyricist},
                  {"genre", &m_strGenre},
                  {"recorded date", &m_strRecordedDate},
                  {"comments", &m_strComments},
                  {"copyright", &m_strCopyright},
                  {"source encoder", &m_strSourceEncoder},
                  {"encoding application", &m_strEncodingApplication},
                  {"nominal bit rate", &m_strNominalBitRate},
                  {"channel layout", &m_strChannelLayout},
                  {"source bit depth", &m_strSourceBitDepth},
                  {"ISRC", &m_strISRC},
                  {"subtitle", &m_strSubTitle}};
    QString tempo;
    for (const auto& entry : fields)
        *(entry.field ? entry.field : &tempo) = getData(dictionary, QString::fromLatin1(entry.key));

    bool ok = false;
    m_nTempo = tempo.toInt(&ok);
    if (!ok)
        m_nTempo = -1;
    if (!m_strTrackNumber.contains(QLatin1Char('/'))) {
        const int track = m_strTrackNumber.toInt(&ok);
        m_strTrackNumber = ok ? QString::number(track) : QString();
    }

    if (file.infoStatus != 0)
        return false;

    if (file.artworkStatus != 0) {
        const QByteArray bytes = imageDataFromID3Tag(file.id3Frames);
        if (!bytes.isEmpty())
            m_imgArtwork = byteArrayToImage(bytes, true, path, &m_strArtworkRefusal);
    } else if (!file.artwork.isEmpty()) {
        m_imgArtwork = byteArrayToImage(file.artwork, false, path, &m_strArtworkRefusal);
    }
    return true;
}

QString NativeMetaTags::getData(const QVariantMap* dictionary, const QString& key) const
{
    if (!dictionary || !dictionary->contains(key))
        return QString();
    return dictionary->value(key).toString();
}

QByteArray NativeMetaTags::imageDataFromID3Tag(const QVariantMap& frames) const
{
    QVariant frame = frames.value(QStringLiteral("APIC"));
    if (!frame.isValid())
        frame = frames.value(QStringLiteral("PIC"));
    const QVariantMap entries = frame.toMap();
    if (entries.isEmpty())
        return QByteArray();
    return entries.last().toMap().value(QStringLiteral("data")).toByteArray();
}

bool NativeMetaTags::checkResult(int status, const char* text)
{
    if (status == 0)
        return true;
    const quint32 code = static_cast<quint32>(status);
    QString message = QString("%1 : %2").arg(status).arg(QString::fromUtf8(text));
    QByteArray chars;
    for (int shift = 24; shift >= 0; shift -= 8)
        chars.append(static_cast<char>((code >> shift) & 0xFF));
    const bool printable = std::all_of(chars.begin(), chars.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    if (printable)
        message += QLatin1String(" '") + QString::fromLatin1(chars) + QLatin1Char('\'');
    emit error(message);
    return false;
}

} // namespace ZADovuzIdida
