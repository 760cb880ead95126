#pragma once
// Format-neutral tag model of one audio file: text fields, tempo, cover picture, genre lists, ID3v2 writer.

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <QVector>

namespace ZADovuzIdida {

// The UTF-8 text body of an ID3v2 frame: 0x03 followed by the text's UTF-8 bytes.
QByteArray strId3v3(const QString& text);

class MetaTagsBase : public QObject
{
    Q_OBJECT

public:
    explicit MetaTagsBase(QObject* parent = nullptr);
    ~MetaTagsBase() override;

public slots:
    virtual bool readFrom(const QString& path) = 0;
    // Returns the real result of the write.
    virtual bool writeTo(const QString& path) = 0;

public:
    // Empties every field (tempo -1, null artwork); the genre lists stay.
    void reset();

    QString artist() const { return m_strArtist; }
    QString album() const { return m_strAlbum; }
    int tempo() const { return m_nTempo; }
    QString keySignature() const { return m_strKeySignature; }
    QString timeSignature() const { return m_strTimeSignature; }
    QString trackNumber() const { return m_strTrackNumber; }
    QString discNumber() const { return m_strDiscNumber; }
    QString year() const { return m_strYear; }
    QString composer() const { return m_strComposer; }
    QString lyricist() const { return m_strLyricist; }
    QString genre() const { return m_strGenre; }
    QString title() const { return m_strTitle; }
    QString recordedDate() const { return m_strRecordedDate; }
    QString comments() const { return m_strComments; }
    QString copyright() const { return m_strCopyright; }
    QString sourceEncoder() const { return m_strSourceEncoder; }
    QString encodingApplication() const { return m_strEncodingApplication; }
    QString nominalBitRate() const { return m_strNominalBitRate; }
    QString channelLayout() const { return m_strChannelLayout; }
    QString approximateDurationInSeconds() const { return m_strApproximateDurationInSeconds; }
    QString sourceBitDepth() const { return m_strSourceBitDepth; }
    QString isrc() const { return m_strISRC; }
    QString subTitle() const { return m_strSubTitle; }
    QImage albumArtwork() const { return m_imgArtwork; }
    // Why the source's cover was not taken (too large); empty when there was none to refuse.
    QString artworkRefusal() const { return m_strArtworkRefusal; }

    void setEncodingApplication(const QString& application);

    // Reverses ID3v2 unsynchronisation: every 0xFF 0x00 pair of the input becomes 0xFF.
    static QByteArray decodeMp3Pic(const QByteArray& bytes);
    // Decodes picture bytes of a tag; with id3 the bytes as given are tried first, then with
    // unsynchronisation removed. A picture above 8000x8000 pixels or 20 MB is not decoded: a null image and one
    // warning naming source; *pRefusal (when given) then says why.
    static QImage byteArrayToImage(const QByteArray& bytes, bool id3, const QString& source = QString(),
                                   QString* pRefusal = nullptr);

    // True when at least one tag value is held (the input path and the picture type do not count).
    bool isMetaDataAvailable() const;
    void dump() const;

    // ID3v2 frame builders. The blocks are allocated with std::malloc; the caller frees them with std::free.
    // The *2 builders prepend the 0x00 encoding byte; the *3 builders take bodies with their own encoding byte.
    static char* id3v2Frame(const char* id, const char* body, unsigned long len, int* length);
    static char* addId3v2Frame(char* block, const char* id, const char* body, unsigned long len, int* length);
    static char* id3v3Frame(const char* id, const char* body, unsigned long len, int* length);
    static char* addId3v3Frame(char* block, const char* id, const char* body, unsigned long len, int* length);

    // The whole ID3v2.4 tag of the model; *len receives its length. Free the block with std::free.
    char* saveId3v2(int* len) const;
    // Puts the tag in front of the file's content; the file is replaced only when the new content is complete.
    bool writeToMP3(const QString& path);

    const QVector<QString>& id3v1Genres() const { return m_vecGenres; }
    const QVector<QString>& tvGenres() const { return m_vecTvGenres; }

protected:
    QString m_strInputFile;
    QString m_strArtist;
    QString m_strAlbum;
    QString m_strAlbumArtist;
    int m_nTempo = -1;
    QString m_strKeySignature;
    QString m_strCreator;
    QString m_strTimeSignature;
    QString m_strTrackNumber;
    QString m_strDiscNumber;
    QString m_strYear;
    QString m_strComposer;
    QString m_strLyricist;
    QString m_strGenre;
    QString m_strGrouping;
    QString m_strTitle;
    QString m_strRecordedDate;
    QString m_strComments;
    QString m_strCopyright;
    QString m_strSourceEncoder;
    QString m_strEncodingApplication;
    QString m_strNominalBitRate;
    QString m_strChannelLayout;
    QString m_strApproximateDurationInSeconds;
    QString m_strSourceBitDepth;
    QString m_strISRC;
    QString m_strSubTitle;
    QImage m_imgArtwork;
    QString m_strArtworkRefusal;
    QString m_strPicType;
    QVector<QString> m_vecGenres;
    QVector<QString> m_vecTvGenres;

private:
    // The tag texts, everything but the input file and the picture type.
    static QString MetaTagsBase::*const sm_tagTexts[25];
};

} // namespace ZADovuzIdida
