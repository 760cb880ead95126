#include "MediaSearchDialog.h"

#include "MediaCommon.h"
#include "NativeAudioPlayer.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ZADovuzIdida {

namespace {

// Longest stretch of work between two event-loop turns inside one folder.
constexpr qint64 kEventsIntervalMs = 40;

// Whether the canonical path lies in the canonical folder root (or is root itself).
bool isInside(const QString& path, const QString& root)
{
    if (path == root)
        return true;
    return path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
}

} // namespace

MediaSearchDialog::MediaSearchDialog(QWidget* parent)
    : QDialog(parent), m_plblFile(new QLabel(this)), m_plblCount(new QLabel(this))
{
    setObjectName(QStringLiteral("MediaSearchDialog"));
    m_plblFile->setTextFormat(Qt::PlainText);
    QPushButton* pbtnStop = new QPushButton(tr("&Cancel"), this);
    pbtnStop->setObjectName(QStringLiteral("SearchStopButton"));
    connect(pbtnStop, SIGNAL(clicked()), this, SLOT(slotCancel()));

    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(new QLabel(
        QStringLiteral("<CENTER><H2>Searching for the media files.<br>Please, wait...</H2></CENTER>"), this));
    pLayout->addWidget(m_plblFile);
    pLayout->addWidget(m_plblCount);
    pLayout->addWidget(pbtnStop);
}

void MediaSearchDialog::setUrls(const QList<QUrl>& urls) { m_lstUrls = urls; }

void MediaSearchDialog::reset()
{
    m_nCounted = 0;
    m_vecFolders.clear();
    m_vecAudioFiles.clear();
    m_vecVideoFiles.clear();
    m_vecArtworkFiles.clear();
    m_vecTextFiles.clear();
    m_vecUnsupportedFiles.clear();
    m_vecEmptyFolders.clear();
}

void MediaSearchDialog::slotStart()
{
    // Events run during the walk; a second start inside them would interleave two searches.
    if (m_bSearching)
        return;
    m_bSearching = true;
    m_bCancelled = false;
    reset();
    m_setVisited.clear();
    m_timerEvents.start();
    const QList<QUrl> urls = m_lstUrls;
    for (const QUrl& url : urls) {
        if (m_bCancelled)
            break;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir())
            doSearch(QDir(url.path(QUrl::FullyDecoded)));
        else if (info.isFile())
            addFile(url.toLocalFile());
        else
            qDebug() << "Unknown";
        keepResponsive();
    }
    m_setVisited.clear();
    m_bSearching = false;
    if (!m_bCancelled)
        accept();
}

void MediaSearchDialog::slotCancel()
{
    m_bCancelled = true;
    reset();
    QDialog::reject();
}

void MediaSearchDialog::reject()
{
    if (m_bSearching)
        slotCancel();
    else
        QDialog::reject();
}

void MediaSearchDialog::keepResponsive()
{
    if (m_timerEvents.isValid() && m_timerEvents.elapsed() < kEventsIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_timerEvents.start();
}

void MediaSearchDialog::doSearch(const QDir& dir)
{
    if (m_bCancelled)
        return;
    QCoreApplication::processEvents();
    m_timerEvents.start();
    if (m_bCancelled)
        return;
    // Links can lead back into a folder already walked; each real folder is walked once.
    const QString canonical = dir.canonicalPath();
    if (!canonical.isEmpty()) {
        if (m_setVisited.contains(canonical))
            return;
        m_setVisited.insert(canonical);
    }
    // The outermost call sets the folder that links may not lead out of.
    const bool bOutermost = m_strRoot.isEmpty();
    if (bOutermost)
        m_strRoot = canonical;
    walk(dir, canonical);
    if (bOutermost)
        m_strRoot.clear();
}

void MediaSearchDialog::walk(const QDir& dir, const QString& canonical)
{
    const QStringList files = dir.entryList({QStringLiteral("*")}, QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QString& name : files) {
        const QString path = dir.absoluteFilePath(name);
        // A file removed since the listing is left out.
        if (!QFileInfo::exists(path))
            continue;
        addFile(path);
        ++m_nCounted;
        if (m_nCounted <= 4 || m_nCounted % 10 == 0)
            updateLabels(name);
        keepResponsive();
        if (m_bCancelled)
            return;
    }

    int nSubDirs = 0;
    const QStringList subDirs = dir.entryList(QDir::Dirs | QDir::Hidden, QDir::NoSort);
    for (const QString& name : subDirs) {
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        ++nSubDirs;
        const QString path = dir.absoluteFilePath(name);
        const QString subCanonical = QFileInfo(path).canonicalFilePath();
        if (subCanonical.isEmpty() || m_setVisited.contains(subCanonical) || !isInside(subCanonical, m_strRoot))
            continue;
        m_vecFolders.append(path);
        doSearch(QDir(path));
        if (m_bCancelled)
            return;
    }

    if (nSubDirs == 0 && files.isEmpty())
        addEmptyFolder(canonical.isEmpty() ? dir.absolutePath() : canonical);
}

void MediaSearchDialog::addFile(const QString& path)
{
    switch (MediaCommon::mediaType(path)) {
    case MediaCommon::Audio:
        (isMediaFile(path) ? m_vecAudioFiles : m_vecUnsupportedFiles).append(path);
        break;
    case MediaCommon::Video:
        (isMediaFile(path) ? m_vecVideoFiles : m_vecUnsupportedFiles).append(path);
        break;
    case MediaCommon::Image:
        m_vecArtworkFiles.append(path);
        break;
    case MediaCommon::Document:
        m_vecTextFiles.append(path);
        break;
    default:
        m_vecUnsupportedFiles.append(path);
        break;
    }
}

void MediaSearchDialog::addEmptyFolder(const QString& path) { m_vecEmptyFolders.append(path); }

bool MediaSearchDialog::isMediaFile(const QString& path)
{
    static const char* const kQuickSuffixes[] = {".mp3",  ".mp4", ".m4a", ".caf", ".aif",
                                                 ".aiff", ".m4r", ".m4v", ".mov"};
    bool bQuick = MediaCommon::flacIsAudio() && path.endsWith(QLatin1String(".flac"));
    for (const char* suffix : kQuickSuffixes)
        bQuick = bQuick || path.endsWith(QLatin1String(suffix));
    if (bQuick)
        return !QFileInfo(path).isHidden();
    NativeAudioPlayer player;
    player.setMedia(path);
    return player.duration() > 0;
}

void MediaSearchDialog::updateLabels(const QString& fileName)
{
    m_plblFile->setText(fileName);
    m_plblCount->setText(QStringLiteral("<H3>Video Files: %1<BR>Audio Files: %2<BR>Image Files: %3<BR>Text Files: "
                                        "%4<BR>Other Files: %5<BR></H3>")
                             .arg(m_vecVideoFiles.size())
                             .arg(m_vecAudioFiles.size())
                             .arg(m_vecArtworkFiles.size())
                             .arg(m_vecTextFiles.size())
                             .arg(m_vecUnsupportedFiles.size()));
}

} // namespace ZADovuzIdida
