#include "MetaTagsBase.h"

#include <QBuffer>
#include <QDebug>
#include <QImageReader>

namespace ZADovuzIdida {

namespace {

// clang-format off
const char* const tvGenreNames[] = {"Drama", "Animation", "Action & Adventure", "Classic", "Kids", "Nonfiction",
                                    "Reality TV", "Sci-Fi & Fantasy", "Sports", "Teens", "Latino TV"};

const char* const id3v1GenreNames[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal", "New Age",
    "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska",
    "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion",
    "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
    "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro",
    "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob",
    "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson",
    "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam",
    "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet",
    "Punk Rock", "Drum Solo", "A Capella", "Euro-House", "Dance Hall"};
// clang-format on

// Real covers stay far below these; a picture above them is refused before it is decoded.
constexpr int kMaxPictureSide = 8000;
constexpr int kMaxPictureBytes = 20 << 20;

// Decodes picture bytes only when they and the size their header declares are within the limits; otherwise a
// null image, with *refusal saying what was too large.
QImage boundedImage(const QByteArray& bytes, QString* refusal)
{
    if (bytes.size() > kMaxPictureBytes) {
        *refusal = QStringLiteral("%1 bytes").arg(bytes.size());
        return QImage();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid())
        return QImage();
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        *refusal = QStringLiteral("%1x%2 pixels").arg(size.width()).arg(size.height());
        return QImage();
    }
    return reader.read();
}

static_assert(sizeof(tvGenreNames) / sizeof(tvGenreNames[0]) == 11, "TV genre list");
static_assert(sizeof(id3v1GenreNames) / sizeof(id3v1GenreNames[0]) == 126, "ID3v1 genre list");

} // namespace

MetaTagsBase::MetaTagsBase(QObject* parent) : QObject(parent)
{
    for (const char* name : tvGenreNames)
        m_vecTvGenres.append(QString::fromLatin1(name));
    for (const char* name : id3v1GenreNames)
        m_vecGenres.append(QString::fromLatin1(name));
}

MetaTagsBase::~MetaTagsBase() = default;

QString MetaTagsBase::*const MetaTagsBase::sm_tagTexts[25] = {&MetaTagsBase::m_strArtist,
                                                              &MetaTagsBase::m_strAlbum,
                                                              &MetaTagsBase::m_strAlbumArtist,
                                                              &MetaTagsBase::m_strKeySignature,
                                                              &MetaTagsBase::m_strCreator,
                                                              &MetaTagsBase::m_strTimeSignature,
                                                              &MetaTagsBase::m_strTrackNumber,
                                                              &MetaTagsBase::m_strDiscNumber,
                                                              &MetaTagsBase::m_strYear,
                                                              &MetaTagsBase::m_strComposer,
                                                              &MetaTagsBase::m_strLyricist,
                                                              &MetaTagsBase::m_strGenre,
                                                              &MetaTagsBase::m_strGrouping,
                                                              &MetaTagsBase::m_strTitle,
                                                              &MetaTagsBase::m_strRecordedDate,
                                                              &MetaTagsBase::m_strComments,
                                                              &MetaTagsBase::m_strCopyright,
                                                              &MetaTagsBase::m_strSourceEncoder,
                                                              &MetaTagsBase::m_strEncodingApplication,
                                                              &MetaTagsBase::m_strNominalBitRate,
                                                              &MetaTagsBase::m_strChannelLayout,
                                                              &MetaTagsBase::m_strApproximateDurationInSeconds,
                                                              &MetaTagsBase::m_strSourceBitDepth,
                                                              &MetaTagsBase::m_strISRC,
                                                              &MetaTagsBase::m_strSubTitle};

void MetaTagsBase::reset()
{
    m_strInputFile.clear();
    for (QString MetaTagsBase::*text : sm_tagTexts)
        (this->*text).clear();
    m_strPicType.clear();
    m_nTempo = -1;
    m_imgArtwork = QImage();
    m_strArtworkRefusal.clear();
}

void MetaTagsBase::setEncodingApplication(const QString& application) { m_strEncodingApplication = application; }

QByteArray MetaTagsBase::decodeMp3Pic(const QByteArray& bytes)
{
    QByteArray result;
    if (bytes.isEmpty())
        return result;
    result.reserve(bytes.size());
    result.append(bytes.at(0));
    for (int i = 1; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\0' && static_cast<unsigned char>(bytes.at(i - 1)) == 0xFF)
            continue;
        result.append(bytes.at(i));
    }
    return result;
}

QImage MetaTagsBase::byteArrayToImage(const QByteArray& bytes, bool id3, const QString& source, QString* pRefusal)
{
    QString refusal;
    QImage image = boundedImage(bytes, &refusal);
    if (id3 && image.isNull()) {
        const QByteArray decoded = decodeMp3Pic(bytes);
        if (decoded.size() < bytes.size())
            image = boundedImage(decoded, &refusal);
    }
    if (image.isNull() && !refusal.isEmpty()) {
        const QString reason = QStringLiteral("%1, the limit is %2x%2 pixels and %3 MB")
                                   .arg(refusal)
                                   .arg(kMaxPictureSide)
                                   .arg(kMaxPictureBytes >> 20);
        qWarning().noquote() << QStringLiteral("Cover art skipped (%1): %2").arg(reason, source);
        if (pRefusal)
            *pRefusal = reason;
    }
    return image;
}

bool MetaTagsBase::isMetaDataAvailable() const
{
    if (m_nTempo >= 0)
        return true;
    for (QString MetaTagsBase::*text : sm_tagTexts) {
        if (!(this->*text).isEmpty())
            return true;
    }
    return !m_imgArtwork.isNull();
}

void MetaTagsBase::dump() const
{
    qDebug() << "m_strInputFile:" << m_strInputFile;
    qDebug() << "m_strTitle: " << m_strTitle;
    qDebug() << "m_strCreator: " << m_strCreator;
    qDebug() << "m_strArtist: " << m_strArtist;
    qDebug() << "m_strAlbum: " << m_strAlbum;
    qDebug() << "m_strAlbumArtist: " << m_strAlbumArtist;
    qDebug() << "m_nTempo: " << m_nTempo;
    qDebug() << "m_strKeySignature: " << m_strKeySignature;
    qDebug() << "m_strTimeSignature: " << m_strTimeSignature;
    qDebug() << "m_strTrackNumber: " << m_strTrackNumber;
    qDebug() << "m_strDiscNumber: " << m_strDiscNumber;
    qDebug() << "m_strYear: " << m_strYear;
    qDebug() << "m_strComposer: " << m_strComposer;
    qDebug() << "m_strLyricist: " << m_strLyricist;
    qDebug() << "m_strGenre: " << m_strGenre;
    qDebug() << "m_strGrouping: " << m_strGrouping;
    qDebug() << "m_strRecordedDate: " << m_strRecordedDate;
    qDebug() << "m_strComments: " << m_strComments;
    qDebug() << "m_strCopyright: " << m_strCopyright;
    qDebug() << "m_strSourceEncoder: " << m_strSourceEncoder;
    qDebug() << "m_strEncodingApplication: " << m_strEncodingApplication;
    qDebug() << "m_strNominalBitRate: " << m_strNominalBitRate;
    qDebug() << "m_strChannelLayout: " << m_strChannelLayout;
    qDebug() << "m_strApproximateDurationInSeconds: " << m_strApproximateDurationInSeconds;
    qDebug() << "m_strSourceBitDepth: " << m_strSourceBitDepth;
    qDebug() << "m_strISRC: " << m_strISRC;
    qDebug() << "m_strPicType: " << m_strPicType;
    qDebug() << "m_strSubTitle: " << m_strSubTitle;
}

} // namespace ZADovuzIdida
