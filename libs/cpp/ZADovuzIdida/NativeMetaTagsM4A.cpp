#include "NativeMetaTags.h"

#include "Native/TagLibMp4Writer.h"

#include <MTools/DurableFiles.h>

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace ZADovuzIdida {

using namespace MetaKeys;

namespace {

enum class Rule {
    Artwork,
    Copyrights,
    Artist,
    AlbumName,
    Title,
    Software,
    Composer,
    Comments,
    Track,
    Disc,
    Year,
    Tempo,
    Genre,
    Grouping,
    None
};

Rule findRule(const QString& commonKey, const QString& key)
{
    static const struct
    {
        const char* name;
        Rule rule;
    } commonRules[] = {{CommonArtwork, Rule::Artwork}, {CommonCopyrights, Rule::Copyrights},
                       {CommonArtist, Rule::Artist},   {CommonAlbumName, Rule::AlbumName},
                       {CommonTitle, Rule::Title},     {CommonSoftware, Rule::Software}};
    static const struct
    {
        const char* name;
        Rule rule;
    } keyRules[] = {{"@wrt", Rule::Composer}, {"@cmt", Rule::Comments}, {"trkn", Rule::Track},
                    {"disk", Rule::Disc},     {"@day", Rule::Year},     {"tmpo", Rule::Tempo},
                    {"@gen", Rule::Genre},    {"@grp", Rule::Grouping}};
    for (const auto& rule : commonRules) {
        if (commonKey == QLatin1String(rule.name))
            return rule.rule;
    }
    for (const auto& rule : keyRules) {
        if (key == QLatin1String(rule.name))
            return rule.rule;
    }
    return Rule::None;
}

MetaItem withText(MetaItem item, const QString& text)
{
    item.value = text;
    item.stringValue = text;
    item.hasString = true;
    return item;
}

MetaItem withData(MetaItem item, const QByteArray& bytes)
{
    item.value = bytes;
    item.dataValue = bytes;
    return item;
}

MetaItem templateItem(quint32 key, const char* commonKey)
{
    MetaItem item;
    item.key = key;
    item.commonKey = QString::fromLatin1(commonKey);
    item.keySpace = KeySpaceiTunes;
    return item;
}

bool copyFile(QFile* source, QFile* target)
{
    char buffer[1 << 16];
    for (;;) {
        const qint64 count = source->read(buffer, sizeof(buffer));
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        if (target->write(buffer, count) != count)
            return false;
    }
}

} // namespace

bool NativeMetaTags::writeTo(const QString& path)
{
    if (path.toLower().endsWith(QLatin1String(".mp3")))
        return writeToMP3(path);
    return writeToM4A(path);
}

MetaItemList NativeMetaTags::templateItems() const
{
    const char copyright = char(0xA9);
    return {templateItem(fourCC('c', 'o', 'v', 'r'), CommonArtwork),
            templateItem(fourCC('c', 'p', 'r', 't'), CommonCopyrights),
            templateItem(fourCC(copyright, 'A', 'R', 'T'), CommonArtist),
            templateItem(fourCC(copyright, 'a', 'l', 'b'), CommonAlbumName),
            templateItem(fourCC(copyright, 'n', 'a', 'm'), CommonTitle),
            templateItem(fourCC(copyright, 't', 'o', 'o'), CommonSoftware),
            templateItem(fourCC(copyright, 'w', 'r', 't'), CommonCreator),
            templateItem(fourCC(copyright, 'c', 'm', 't'), ""),
            templateItem(fourCC('t', 'r', 'k', 'n'), ""),
            templateItem(fourCC('d', 'i', 's', 'k'), ""),
            templateItem(fourCC(copyright, 'd', 'a', 'y'), CommonCreationDate),
            templateItem(fourCC('t', 'm', 'p', 'o'), ""),
            templateItem(fourCC(copyright, 'g', 'e', 'n'), CommonType),
            templateItem(fourCC(copyright, 'g', 'r', 'p'), "")};
}

MetaItemList NativeMetaTags::m4aItems(const MetaItemList& templateItems) const
{
    MetaItemList result;
    for (const MetaItem& item : templateItems) {
        auto addText = [&](const QString& text) {
            if (!text.isEmpty())
                result.append(withText(item, text));
        };
        switch (findRule(item.commonKey, keyString(item.key))) {
        case Rule::Artwork:
            if (!m_imgArtwork.isNull()) {
                QByteArray jpeg;
                QBuffer buffer(&jpeg);
                buffer.open(QIODevice::WriteOnly);
                m_imgArtwork.save(&buffer, "JPEG", -1);
                MetaItem artwork = withData(item, jpeg);
                artwork.dataType = DataTypeJPEG;
                result.append(artwork);
            }
            break;
        case Rule::Copyrights:
            addText(m_strCopyright);
            break;
        case Rule::Artist:
            addText(m_strArtist);
            break;
        case Rule::AlbumName:
            addText(m_strAlbum);
            break;
        case Rule::Title:
            addText(m_strTitle);
            break;
        case Rule::Software:
            addText(m_strEncodingApplication);
            break;
        case Rule::Composer:
            addText(m_strComposer);
            break;
        case Rule::Comments:
            addText(m_strComments);
            break;
        case Rule::Track:
            if (!m_strTrackNumber.isEmpty())
                result.append(withData(item, countPair(m_strTrackNumber, 8)));
            break;
        case Rule::Disc:
            if (!m_strDiscNumber.isEmpty())
                result.append(withData(item, countPair(m_strDiscNumber, 6)));
            break;
        case Rule::Year:
            addText(m_strYear);
            break;
        case Rule::Tempo:
            if (m_nTempo >= 0) {
                MetaItem tempo = item;
                tempo.value = m_nTempo;
                tempo.numberValue = m_nTempo;
                result.append(tempo);
            }
            break;
        case Rule::Genre:
            addText(m_strGenre);
            break;
        case Rule::Grouping:
            addText(m_strGrouping);
            break;
        case Rule::None:
            break;
        }
    }
    return result;
}

QString NativeMetaTags::normalizedTrackDiscNumber(const QString& text) const
{
    auto number = [](const QString& part) {
        bool ok = false;
        const long long value = part.toLongLong(&ok);
        return ok ? value : 0LL;
    };
    // A number without a total keeps the total unknown (0) rather than claiming it is the last.
    if (!text.contains(QLatin1Char('/')))
        return QString("%1/0").arg(number(text));
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() < 2)
        return text;
    return QString("%1/%2").arg(number(parts.first())).arg(number(parts.last()));
}

QByteArray NativeMetaTags::countPair(const QString& text, int size) const
{
    const QStringList parts = normalizedTrackDiscNumber(text).split(QLatin1Char('/'));
    const quint16 a = static_cast<quint16>(parts.value(0).toLongLong() & 0xFFFF);
    const quint16 b = static_cast<quint16>(parts.value(1).toLongLong() & 0xFFFF);
    QByteArray bytes(size, '\0');
    bytes[2] = char(a >> 8);
    bytes[3] = char(a & 0xFF);
    bytes[4] = char(b >> 8);
    bytes[5] = char(b & 0xFF);
    return bytes;
}

bool NativeMetaTags::writeToM4A(const QString& target)
{
    if (!isMetaDataAvailable()) {
        qDebug() << "!!!NMO METADATA";
        return false;
    }
    const MetaItemList items = m4aItems(templateItems());

    const QFileInfo info(target);
    QFile source(target);
    if (!info.isFile() || !source.open(QIODevice::ReadOnly)) {
        qDebug() << "NativeMetaTags: cannot read" << target;
        return false;
    }
    // A unique name beside the target, so that no other file of the run can be overwritten.
    QTemporaryFile copy(info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                        QLatin1String("_temp.XXXXXX.m4a"));
    copy.setAutoRemove(false);
    if (!copy.open()) {
        qDebug() << "NativeMetaTags: cannot create a temporary file beside" << target;
        return false;
    }
    const QString temporary = copy.fileName();
    bool ok = copyFile(&source, &copy);
    ok = ok && copy.flush();
    copy.close();
    // A drive that keeps no modes refuses the target's; the tags are worth more than the mode.
    copy.setPermissions(info.permissions());
    ok = ok && TagLibMp4Writer::write(temporary, items);
    // The tagged data reaches the disk before its name does.
    ok = ok && MTools::DurableFiles::flushFile(temporary);
    ok = ok && std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) == 0;
    ok = ok && MTools::DurableFiles::flushFolder(info.absolutePath());
    if (!ok) {
        qDebug() << "NativeMetaTags: tags not written into" << target;
        QFile::remove(temporary);
    }
    return ok;
}

bool NativeMetaTags::copyAVAssets(const QString& source, const QString& target)
{
    readFrom(source);
    return writeToM4A(target);
}

void NativeMetaTags::clearGarbage() {}

} // namespace ZADovuzIdida
