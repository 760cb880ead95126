#pragma once
// One metadata item of a media file as the tag readers and writers see it, with the key constants they use.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace ZADovuzIdida {

// key: a text or a 32-bit number (a four-character code; 0xA9 as first byte stands for the copyright sign).
// value: its type says the class of the value: QString text, QByteArray data, QVariantMap dictionary,
// a number type, or invalid for anything else.
struct MetaItem
{
    QVariant key;
    QString commonKey;
    QString keySpace;
    QVariant value;
    QString stringValue;
    bool hasString = false;
    QVariant numberValue;
    QByteArray dataValue;
    QString dataType;
};

using MetaItemList = QList<MetaItem>;

// Builds a four-character code key; 0xA9 may stand in the first byte.
constexpr quint32 fourCC(char a, char b, char c, char d)
{
    return (quint32(quint8(a)) << 24) | (quint32(quint8(b)) << 16) | (quint32(quint8(c)) << 8) | quint32(quint8(d));
}

namespace MetaKeys {

constexpr const char* KeySpaceID3 = "org.id3";
constexpr const char* KeySpaceiTunes = "itsk";

constexpr const char* DataTypeJPEG = "datatype.JPEG";
constexpr const char* DataTypePNG = "datatype.PNG";

constexpr const char* CommonArtwork = "artwork";
constexpr const char* CommonCreator = "creator";
constexpr const char* CommonArtist = "artist";
constexpr const char* CommonAlbumName = "albumName";
constexpr const char* CommonTitle = "title";
constexpr const char* CommonDescription = "description";
constexpr const char* CommonCreationDate = "creationDate";
constexpr const char* CommonSubject = "subject";
constexpr const char* CommonType = "type";
constexpr const char* CommonCopyrights = "copyrights";
constexpr const char* CommonSoftware = "software";

constexpr const char* iTunesComposer = "@wrt";
constexpr const char* iTunesEncodingTool = "@too";
constexpr const char* iTunesAlbumArtist = "aART";
constexpr const char* iTunesUserComment = "@cmt";
constexpr const char* iTunesGrouping = "@grp";
constexpr const char* iTunesBeatsPerMin = "tmpo";
constexpr const char* iTunesTrackNumber = "trkn";
constexpr const char* iTunesDiscNumber = "disk";
constexpr const char* iTunesUserGenre = "@gen";

constexpr const char* ID3Band = "TPE2";
constexpr const char* ID3EncodedWith = "TSSE";
constexpr const char* ID3Comments = "COMM";
constexpr const char* ID3Year = "TYER";
constexpr const char* ID3RecordingTime = "TDRC";
constexpr const char* ID3BeatsPerMinute = "TBPM";
constexpr const char* ID3TrackNumber = "TRCK";
constexpr const char* ID3PartOfASet = "TPOS";

constexpr const char* QuickTimeDirector = "com.apple.quicktime.director";
constexpr const char* QuickTimeProducer = "com.apple.quicktime.producer";
constexpr const char* QuickTimeEncodedBy = "com.apple.quicktime.encodedby";
constexpr const char* QuickTimeYear = "com.apple.quicktime.year";
constexpr const char* QuickTimeGenre = "com.apple.quicktime.genre";

} // namespace MetaKeys

} // namespace ZADovuzIdida
