#pragma once
// Helpers of the tag suites: an open tag model with injectable sources, and runners for mutagen and ffprobe.

#include "Tools.h"

#include <ZADovuzIdida/NativeMetaTags.h>

#include <QFile>
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
    using MetaTagsBase::m_strApproximateDurationInSeconds;
    using MetaTagsBase::m_strArtist;
    using MetaTagsBase::m_strChannelLayout;
    using MetaTagsBase::m_strComments;
    using MetaTagsBase::m_strComposer;
    using MetaTagsBase::m_strCopyright;
    using MetaTagsBase::m_strCreator;
    using MetaTagsBase::m_strDiscNumber;
    using MetaTagsBase::m_strEncodingApplication;
    using MetaTagsBase::m_strGenre;
    using MetaTagsBase::m_strGrouping;
    using MetaTagsBase::m_strInputFile;
    using MetaTagsBase::m_strISRC;
    using MetaTagsBase::m_strKeySignature;
    using MetaTagsBase::m_strLyricist;
    using MetaTagsBase::m_strNominalBitRate;
    using MetaTagsBase::m_strPicType;
    using MetaTagsBase::m_strRecordedDate;
    using MetaTagsBase::m_strSourceBitDepth;
    using MetaTagsBase::m_strSourceEncoder;
    using MetaTagsBase::m_strSubTitle;
    using MetaTagsBase::m_strTimeSignature;
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

// Runs a Python snippet with Debian's interpreter (where mutagen lives); sys.argv[1:] = args.
inline TestKit::ToolResult python(const QString& script, const QStringList& args = {})
{
    return TestKit::runTool("/usr/bin/python3", QStringList{"-c", script} + args);
}

// The container tags as ffprobe shows them, keys lower-cased.
inline QVariantMap ffprobeTags(const QString& path)
{
    const TestKit::ToolResult result =
        TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of", "json", path});
    const QVariantMap tags =
        QJsonDocument::fromJson(result.out).object().value("format").toObject().value("tags").toObject().toVariantMap();
    QVariantMap lower;
    for (auto it = tags.begin(); it != tags.end(); ++it)
        lower.insert(it.key().toLower(), it.value());
    return lower;
}

// MD5 of the audio packets, as ffmpeg copies them out of the container.
inline QByteArray audioMd5(const QString& path)
{
    return TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-c", "copy", "-f", "md5", "-"})
        .out.trimmed();
}

// Runs ffmpeg quietly with the given arguments; true on success.
inline bool ffmpeg(const QStringList& args)
{
    return TestKit::runTool("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args).exitCode == 0;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace TagKit
