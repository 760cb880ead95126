#pragma once
// Tag object of a conversion: reads the tags of any media file and writes them into an M4A or MP3 file.

#include "MetaTagsBase.h"
#include "MetaTagsItem.h"
#include "NativeMetaTagsInfo.h"

#include <QStringList>
#include <QVariant>

namespace ZADovuzIdida {

class NativeMetaTags : public MetaTagsBase
{
    Q_OBJECT

public:
    explicit NativeMetaTags(QObject* parent = nullptr);

public slots:
    // Resets the model and reads the file's tags and artwork; a file without tags leaves it empty. Returns true.
    bool readFrom(const QString& path) override;
    // ".mp3" targets (any case) get an ID3v2 tag in front; any other target is written as M4A.
    // Returns whether the tags are in the file.
    bool writeTo(const QString& path) override;

public:
    // Reads every metadata item of the file into the model; the item read last wins. Returns true.
    bool readFromAV(const QString& path);
    // Runs the key tests over the items, in order, as readFromAV does.
    void readFromItems(const MetaItemList& items);

    // Writes the model's items into the M4A file target. The target is replaced only by a complete tagged
    // copy; on failure it stays as it was. False when there is nothing to write or the write failed.
    bool writeToM4A(const QString& target);
    // The filled copies of the template items that writeToM4A writes.
    MetaItemList m4aItems(const MetaItemList& templateItems) const;
    // readFrom(source), then writeToM4A(target); returns the latter.
    bool copyAVAssets(const QString& source, const QString& target);
    void clearGarbage();

    // "3/12" stays, "5" gives "5/0" (no total), "3/" gives "3/0", "1/2/3" gives "1/3", not numbers count as 0.
    QString normalizedTrackDiscNumber(const QString& text) const;
    // The 8-byte (track) or 6-byte (disc) count pair of a track or disc text.
    QByteArray countPair(const QString& text, int size) const;

    // Fills the info fields from the file's info dictionary without a reset; false when there is none.
    bool readFromCO(const QString& path);
    QString getData(const QVariantMap* dictionary, const QString& key) const;
    // The picture bytes of an ID3 frame dictionary ("APIC", else "PIC"), empty when there is none.
    QByteArray imageDataFromID3Tag(const QVariantMap& frames) const;
    // True for status 0; otherwise emits error("<status> : <text> '<four characters>'") and returns false.
    bool checkResult(int status, const char* text);

    // A text key unchanged; a number key as its four-character code with a leading 0xA9 shown as "@".
    static QString keyString(const QVariant& key);
    // Repairs a UTF-16 text that was read one byte off after a byte-order mark.
    QString nsToQString(const QString& text) const;

    bool isKeyArtwork(const QStringList& keys) const;
    bool isKeyComposer(const QStringList& keys) const;
    bool isKeyCopyrights(const QStringList& keys) const;
    bool isKeyArtist(const QStringList& keys) const;
    bool isKeyAlbumName(const QStringList& keys) const;
    bool isKeyTitle(const QStringList& keys) const;
    bool isKeyCreator(const QStringList& keys) const;
    bool isKeyEncodingApplication(const QStringList& keys) const;
    bool isKeyAlbumArtist(const QStringList& keys) const;
    bool isKeyComments(const QStringList& keys) const;
    bool isKeyYear(const QStringList& keys) const;
    bool isKeyGrouping(const QStringList& keys) const;
    bool isKeyTempo(const QStringList& keys) const;
    bool isKeyTrackNumber(const QStringList& keys) const;
    bool isKeyDiskNumber(const QStringList& keys) const;
    bool isKeyGenre(const QStringList& keys) const;

signals:
    void error(const QString& message);

protected:
    // The file's metadata items, format by format.
    virtual MetaItemList metadataItems(const QString& path) const;
    // The ordered template of the items an M4A file receives.
    virtual MetaItemList templateItems() const;
    // What the audio file service reports about the file.
    virtual AudioFileInfo audioFileInfo(const QString& path) const;

private:
    void readItem(const MetaItem& item);
    void readCountPair(const MetaItem& item, QString* field, int size);
    void readGenre(const MetaItem& item);
    void readArtwork(const MetaItem& item);
    void readTempo(const MetaItem& item);
};

} // namespace ZADovuzIdida
