#pragma once
// Helpers of the tag suites: an open tag model with injectable sources, mutagen taggers and ffprobe's tags.

#include "MediaTestKit.h"

#include <ZADovuzIdida/NativeMetaTags.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantMap>

namespace TagKit {

// A tag object whose fields are open to the test and whose sources can be replaced.
class TagModel : public ZADovuzIdida::NativeMetaTags
{
public:
    using MetaTagsBase::m_imgArtwork;
    using MetaTagsBase::m_nTempo;
    using MetaTagsBase::m_strAlbum;
    using MetaTagsBase::m_strAlbumArtist;
    using MetaTagsBase::m_strArtist;
    using MetaTagsBase::m_strComments;
    using MetaTagsBase::m_strComposer;
    using MetaTagsBase::m_strCopyright;
    using MetaTagsBase::m_strCreator;
    using MetaTagsBase::m_strDiscNumber;
    using MetaTagsBase::m_strGenre;
    using MetaTagsBase::m_strGrouping;
    using MetaTagsBase::m_strInputFile;
    using MetaTagsBase::m_strLyricist;
    using MetaTagsBase::m_strPicType;
    using MetaTagsBase::m_strSubTitle;
    using MetaTagsBase::m_strTitle;
    using MetaTagsBase::m_strTrackNumber;
    using MetaTagsBase::m_strYear;

    bool m_bFakeItems = false;
    ZADovuzIdida::MetaItemList m_lstItems;
    bool m_bFakeTemplate = false;
    ZADovuzIdida::MetaItemList m_lstTemplate;
    bool m_bFakeInfo = false;
    ZADovuzIdida::AudioFileInfo m_info;

    ZADovuzIdida::MetaItemList builtInTemplate() const { return NativeMetaTags::templateItems(); }

protected:
    ZADovuzIdida::MetaItemList metadataItems(const QString& path) const override
    {
        return m_bFakeItems ? m_lstItems : NativeMetaTags::metadataItems(path);
    }
    ZADovuzIdida::MetaItemList templateItems() const override
    {
        return m_bFakeTemplate ? m_lstTemplate : NativeMetaTags::templateItems();
    }
    ZADovuzIdida::AudioFileInfo audioFileInfo(const QString& path) const override
    {
        return m_bFakeInfo ? m_info : NativeMetaTags::audioFileInfo(path);
    }
};

// Tags an MP3 with a fresh ID3v2 tag through mutagen: "ID=text" frames; COMM and APIC (a picture path) handled.
inline TestKit::ToolResult mutagenId3(const QString& path, int version, const QStringList& frames)
{
    return MediaKit::python(
        "import sys\nfrom mutagen.id3 import ID3, Frames, COMM, APIC\nt = ID3()\n"
        "for a in sys.argv[3:]:\n"
        "    k, v = a.split('=', 1)\n"
        "    if k == 'COMM': t.add(COMM(encoding=3, lang='eng', desc='', text=v))\n"
        "    elif k == 'APIC': t.add(APIC(encoding=3, mime='image/png' if v.endswith('png') else 'image/jpeg',\n"
        "                                 type=3, desc='', data=open(v, 'rb').read()))\n"
        "    else: t.add(Frames[k](encoding=3, text=v))\n"
        "t.save(sys.argv[1], v2_version=int(sys.argv[2]))\n",
        QStringList{path, QString::number(version)} + frames);
}

// Sets MP4 items through mutagen: "key=value" with '@' for the copyright sign; trkn/disk "a/b", tmpo a number,
// covr a picture path.
inline TestKit::ToolResult mutagenMp4(const QString& path, const QStringList& items)
{
    return MediaKit::python(
        "import sys\nfrom mutagen.mp4 import MP4, MP4Cover\nm = MP4(sys.argv[1])\n"
        "for a in sys.argv[2:]:\n"
        "    k, v = a.split('=', 1)\n"
        "    k = k.replace('@', '\\xa9')\n"
        "    if k == 'covr': m[k] = [MP4Cover(open(v, 'rb').read(),\n"
        "                                     MP4Cover.FORMAT_PNG if v.endswith('png') else MP4Cover.FORMAT_JPEG)]\n"
        "    elif k in ('trkn', 'disk'): m[k] = [tuple(int(x) for x in v.split('/'))]\n"
        "    elif k == 'tmpo': m[k] = [int(v)]\n"
        "    else: m[k] = [v]\n"
        "m.save()\n",
        QStringList{path} + items);
}

// The container tags as ffprobe shows them, keys lower-cased; the first stream's tags fill in (Ogg keeps them there).
inline QVariantMap ffprobeTags(const QString& path)
{
    const QJsonObject probe =
        QJsonDocument::fromJson(TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags:stream_tags",
                                                             "-of", "json", path})
                                    .out)
            .object();
    QVariantMap lower;
    const QJsonObject stream = probe.value("streams").toArray().first().toObject().value("tags").toObject();
    for (const QJsonObject& tags : {probe.value("format").toObject().value("tags").toObject(), stream}) {
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            if (!lower.contains(it.key().toLower()))
                lower.insert(it.key().toLower(), it.value().toVariant());
        }
    }
    return lower;
}

// MD5 of the audio packets, as ffmpeg copies them out of the container.
inline QByteArray audioMd5(const QString& path)
{
    return TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-c", "copy", "-f", "md5", "-"})
        .out.trimmed();
}

} // namespace TagKit
