#include "MediaSearchDialog.h"

#include "MediaCommon.h"
#include "Native/MediaProbe.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace ZADovuzIdida {

namespace {

// Longest stretch of work between two event-loop turns inside one folder.
constexpr qint64 kEventsIntervalMs = 40;
// Files the walk may run ahead of the oldest unfinished probe.
constexpr size_t kProbesAhead = 256;

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
    m_poolProbes.setMaxThreadCount(std::max(QThread::idealThreadCount(), 1));
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
            queueFile(url.toLocalFile(), info.fileName(), false);
        else
            qDebug() << "Unknown";
        keepResponsive();
    }
    fileProbed(0);
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
        queueFile(path, name, true);
        fileProbed(kProbesAhead);
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
    const int type = MediaCommon::mediaType(path);
    sortFile(path, type, isAudioOrVideo(type) && isMediaFile(path));
}

bool MediaSearchDialog::isAudioOrVideo(int type) { return type == MediaCommon::Audio || type == MediaCommon::Video; }

void MediaSearchDialog::sortFile(const QString& path, int type, bool bMedia)
{
    switch (type) {
    case MediaCommon::Audio:
        (bMedia ? m_vecAudioFiles : m_vecUnsupportedFiles).append(path);
        break;
    case MediaCommon::Video:
        (bMedia ? m_vecVideoFiles : m_vecUnsupportedFiles).append(path);
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

void MediaSearchDialog::queueFile(const QString& path, const QString& name, bool bCounted)
{
    Pending pending{path, name, bCounted, {}};
    const int type = MediaCommon::mediaType(path);
    if (type == MediaCommon::Audio || type == MediaCommon::Video) {
        auto probe = std::make_shared<std::promise<bool>>();
        pending.media = probe->get_future().share();
        m_poolProbes.start([this, probe, path] { probe->set_value(isMediaFile(path)); });
    }
    m_queProbes.push_back(pending);
}

void MediaSearchDialog::fileProbed(size_t nKeep)
{
    while (!m_queProbes.empty() && !m_bCancelled) {
        const Pending& head = m_queProbes.front();
        if (head.media.valid()) {
            const bool bWait = m_queProbes.size() > nKeep;
            while (head.media.wait_for(std::chrono::milliseconds(bWait ? 5 : 0)) != std::future_status::ready) {
                if (!bWait)
                    return;
                keepResponsive();
                if (m_bCancelled)
                    break;
            }
            if (m_bCancelled)
                break;
        }
        // A file removed while its probe ran is left out, as one removed since the listing.
        if (!head.bCounted || QFileInfo::exists(head.path))
            file(head);
        m_queProbes.pop_front();
        keepResponsive();
    }
    if (m_bCancelled) {
        m_queProbes.clear();
        m_poolProbes.waitForDone();
    }
}

void MediaSearchDialog::file(const Pending& pending)
{
    const int type = MediaCommon::mediaType(pending.path);
    sortFile(pending.path, type, isAudioOrVideo(type) && pending.media.get());
    if (!pending.bCounted)
        return;
    ++m_nCounted;
    if (m_nCounted <= 4 || m_nCounted % 10 == 0)
        updateLabels(pending.name);
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
    // What the player's duration() tells, without a player, so that it may run on any thread.
    return MediaProbe::probe(path).durationMs > 0;
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
