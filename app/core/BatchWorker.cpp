#include "BatchWorker.h"

#include "ConversionJob.h"
#include "ConversionSettings.h"
#include "CoreBudget.h"
#include "EncodeQueue.h"
#include "FileCopy.h"
#include "FreeSpace.h"
#include "GeneralOutput.h"
#include "OutputNames.h"
#include "ProductVariant.h"
#include "RunOrder.h"

#include <MTools/ToolsCommon.h>
#include <VUVararer/App.h>
#include <ZADovuzIdida/NativeAudioDecoder.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>

#include <chrono>

BatchWorker::BatchWorker(QObject* parent) : QObject(parent) { setDecoder(new ZADovuzIdida::NativeAudioDecoder(this)); }

BatchWorker::~BatchWorker() = default;

void BatchWorker::setSettings(const ZADovuzIdida::MAudioFormat& format) { m_format = format; }

void BatchWorker::setInputFiles(const QVector<QString>& files) { m_vecInputFiles = files; }

void BatchWorker::setInputDurations(const QVector<qint64>& seconds) { m_vecInputDurations = seconds; }

void BatchWorker::setImageFiles(const QVector<QString>& files) { m_vecImageFiles = files; }

void BatchWorker::setTextFiles(const QVector<QString>& files) { m_vecTextFiles = files; }

void BatchWorker::setUnsuportedFiles(const QVector<QString>& files) { m_vecUnsuportedFiles = files; }

void BatchWorker::setDroppedUrls(const QList<QUrl>& urls) { m_lstDroppedUrls = urls; }

void BatchWorker::setDecoder(ZADovuzIdida::NativeAudioDecoderBase* pDecoder)
{
    delete m_pDecoder;
    m_pDecoder = pDecoder;
    m_pDecoder->setParent(this);
}

void BatchWorker::stop()
{
    m_bStop = true;
    m_encoders.setHeld(false);
}

void BatchWorker::cancel()
{
    m_bCancel = true;
    m_bStop = true;
    m_encoders.endAll();
}

void BatchWorker::pause(bool bPause)
{
    m_bPause = bPause;
    m_encoders.setHeld(bPause && !m_bStop);
}

void BatchWorker::slotAppendError(const QString& text) { m_strErrors += text; }

void BatchWorker::slotDoWork()
{
    m_strErrors.clear();
    // A run cancelled before it began stays cancelled.
    m_bStop = m_bCancel.load();
    m_bPause = false;
    m_encoders.setHeld(false);

    VUVararer::App* app = VUVararer::App::theApp();
    const QString defaultDestination =
        app ? app->musicDirectory(true) : QDir::homePath() + "/Music/" + QCoreApplication::applicationName() + "/";
    QString destination =
        app ? app->settingsValue("DestinationPath", defaultDestination).toString() : defaultDestination;
    if (!destination.endsWith('/'))
        destination += '/';

    const bool bCopyImages = ConversionSettings::copyImagesActive() && !m_vecImageFiles.isEmpty();
    const bool bCopyTexts = ConversionSettings::copyTextsActive() && !m_vecTextFiles.isEmpty();
    const bool bCopyOthers = ConversionSettings::copyEntireContentActive() && !m_vecUnsuportedFiles.isEmpty();
    const int nSteps = m_vecInputFiles.size() + int(bCopyImages) + int(bCopyTexts) + int(bCopyOthers);

    const QString wantedFolder = destination + QDateTime::currentDateTime().toString("yyyy-MM-dd_hh-mm-ss");
    const QString madeFolder = OutputNames::makeFreeFolder(wantedFolder);
    const QString runFolder = (madeFolder.isEmpty() ? wantedFolder : madeFolder) + "/";
    if (!madeFolder.isEmpty()) {
        int nDone = 0;
        {
            // Files count as done when their encodes have ended, in the order they are converted in; their lines
            // join the log in list order.
            std::vector<std::unique_ptr<ConversionJob>> jobs = planJobs(runFolder);
            const std::vector<int> order = RunOrder::longestFirst(m_vecInputDurations, m_vecInputFiles.size());
            QVector<QString> vecLines(m_vecInputFiles.size());
            {
                CoreBudget cores(encodeSlots(), [this] {
                    std::lock_guard<std::mutex> lock(m_jobsMutex);
                    m_jobsChanged.notify_all();
                });
                EncodeQueue encodes(cores, int(order.size()), [&](int place, const QString& lines) {
                    vecLines[order[size_t(place)]] = lines;
                    // A file that ends after a stop counts for no progress.
                    if (!m_bStop)
                        emitTotalProgress(++nDone, nSteps);
                });
                convertInputs(jobs, order, encodes, cores);
            }
            for (const QString& lines : qAsConst(vecLines))
                m_strErrors += lines;
        }

        const struct
        {
            bool bActive;
            const QVector<QString>& files;
            const char* text;
        } copies[] = {{bCopyImages, m_vecImageFiles, QT_TR_NOOP("COPYING IMAGE FILES")},
                      {bCopyTexts, m_vecTextFiles, QT_TR_NOOP("COPYING TEXT FILES")},
                      {bCopyOthers, m_vecUnsuportedFiles, QT_TR_NOOP("COPYING NON-CONVERTED CONTENT")}};
        for (const auto& copy : copies) {
            if (!copy.bActive || m_bStop)
                continue;
            emit fileProgress(0);
            emit currentFile(tr(copy.text));
            copyFiles(copy.files, runFolder);
            emitTotalProgress(++nDone, nSteps);
        }
    } else {
        slotAppendError(tr("Can not create the folder: ") + runFolder + tr("\n"));
    }
    // A cancelled run leaves no folder it did not write a file into.
    if (m_bCancel && !madeFolder.isEmpty())
        OutputNames::removeEmptyFolders(runFolder);

    if (!m_strErrors.isEmpty())
        emit errorsLog(m_strErrors);
    emit totalProgress(100);
    emit finished(runFolder);
}

void BatchWorker::emitTotalProgress(int nDone, int nSteps)
{
    emit totalProgress(int(float(nDone) * 100.0f / float(nSteps)));
}

std::vector<std::unique_ptr<ConversionJob>> BatchWorker::planJobs(const QString& runFolder)
{
    std::vector<std::unique_ptr<ConversionJob>> jobs;
    jobs.reserve(size_t(m_vecInputFiles.size()));
    QSet<QString> taken;
    for (const QString& source : qAsConst(m_vecInputFiles)) {
        auto job = std::make_unique<ConversionJob>();
        job->source = source;
        job->folder = targetFolder(source, runFolder);
        const QString base = QFileInfo(source).completeBaseName();
        job->target = OutputNames::freeName(job->folder, base, ProductVariant::intermediateExtension(), taken);
        taken.insert(job->target);
        job->result = job->target;
        if (ProductVariant::kind() == ProductVariant::M4a) {
            job->result = OutputNames::freeName(job->folder, base, ProductVariant::resultExtension(), taken);
            taken.insert(job->result);
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

void BatchWorker::convertInputs(std::vector<std::unique_ptr<ConversionJob>>& jobs, const std::vector<int>& order,
                                EncodeQueue& encodes, CoreBudget& cores)
{
    const int nFiles = int(order.size());
    {
        std::lock_guard<std::mutex> lock(m_jobsMutex);
        m_nShown = 0;
    }
    m_pEncodes = &encodes;
    m_pCores = &cores;
    const auto jobAt = [&jobs, &order](int place) -> ConversionJob& { return *jobs[size_t(order[size_t(place)])]; };
    QThreadPool lanes;
    lanes.setMaxThreadCount(cores.cores());
    int nBegun = 0;
    int nPassed = 0;
    while (nPassed < nFiles) {
        while (nBegun < nFiles && !m_bStop && !m_bPause && cores.tryTake()) {
            ConversionJob* pJob = &jobAt(nBegun);
            pJob->index = nBegun;
            lanes.start([this, pJob] {
                pJob->pOwnDecoder.reset(createDecoder());
                pJob->pDecoder = pJob->pOwnDecoder.get();
                if (makeTargetFolder(pJob->folder, pJob->lines))
                    convertJob(*pJob);
                pJob->pDecoder = nullptr;
                pJob->pOwnDecoder.reset();
                handOver(*pJob);
                std::lock_guard<std::mutex> lock(m_jobsMutex);
                pJob->bDone = true;
                m_jobsChanged.notify_all();
            });
            ++nBegun;
        }
        // The cores that no file is waiting for may go to the encodes.
        cores.setWaiting(m_bStop ? 0 : nFiles - nBegun);
        const bool bMayBegin = nBegun < nFiles && !m_bStop && !m_bPause;
        if (nBegun == nPassed) {
            if (m_bStop)
                break;
            waitWhilePaused();
            std::unique_lock<std::mutex> lock(m_jobsMutex);
            m_jobsChanged.wait_for(lock, std::chrono::milliseconds(100), [&cores] { return cores.hasFree(); });
            continue;
        }
        // Files are shown in order: the one shown stays so until its passes have ended, whichever files have been
        // handed over beside it.
        ConversionJob& job = jobAt(nPassed);
        {
            std::unique_lock<std::mutex> lock(m_jobsMutex);
            // Pause and stop come without a notification, so they are looked at now and then.
            m_jobsChanged.wait_for(lock, std::chrono::milliseconds(100),
                                   [&] { return job.bDone || (bMayBegin && cores.hasFree()); });
            if (!job.bDone)
                continue;
        }
        m_fPeak = job.analysis.peak;
        m_nNumSamples = job.analysis.count;
        jobs[size_t(order[size_t(nPassed++)])].reset();
        encodes.reportUpTo(nPassed);
        if (m_bStop)
            break;
        showJob(nPassed, nPassed < nBegun ? &jobAt(nPassed) : nullptr);
    }
    lanes.waitForDone();
    // Files after the one a stop came in were converted beside it only: their encodes end, and nothing of them stays.
    if (m_bStop)
        encodes.dropFrom(nPassed);
    encodes.waitForAll(nBegun);
    m_pEncodes = nullptr;
    m_pCores = nullptr;
}

void BatchWorker::handOver(ConversionJob& job)
{
    // A paused run starts no encode.
    waitWhilePaused();
    // A stop drops the files converted beside the one shown.
    if (m_bStop && !isShown(job)) {
        if (job.pWritten)
            job.pWritten->discard();
        m_pEncodes->drop(job.index, job.reserve);
        return;
    }
    // The output may have taken another name than the one planned.
    const QString target = job.pWritten ? job.pWritten->outputFile() : QString();
    m_pEncodes->add(job.index, std::move(job.pWritten), job.lines, job.reserve);
    if (m_bStop && ProductVariant::kind() != ProductVariant::M4a && !target.isEmpty())
        QFile::remove(target);
}

void BatchWorker::showText(ConversionJob& job, const QString& text)
{
    std::lock_guard<std::mutex> lock(m_jobsMutex);
    job.text = text;
    if (shownLocked(job))
        emit currentFile(text);
}

void BatchWorker::showPercent(ConversionJob& job, int percent)
{
    std::lock_guard<std::mutex> lock(m_jobsMutex);
    job.percent = percent;
    if (shownLocked(job))
        emit fileProgress(percent);
}

bool BatchWorker::isShown(const ConversionJob& job)
{
    std::lock_guard<std::mutex> lock(m_jobsMutex);
    return shownLocked(job);
}

bool BatchWorker::shownLocked(const ConversionJob& job) const { return job.bDirect || job.index == m_nShown; }

void BatchWorker::showJob(int index, const ConversionJob* pJob)
{
    std::lock_guard<std::mutex> lock(m_jobsMutex);
    m_nShown = index;
    if (!pJob)
        return;
    emit fileProgress(0);
    if (!pJob->text.isEmpty())
        emit currentFile(pJob->text);
    if (pJob->percent > 0)
        emit fileProgress(pJob->percent);
}

QString BatchWorker::targetFolder(const QString& path, const QString& runFolder) const
{
    return ConversionSettings::folderStructureActive() ? newPathForForlderStructure(path, runFolder) : runFolder;
}

bool BatchWorker::makeTargetFolder(const QString& folder, QString& lines) const
{
    if (OutputNames::makeFolder(folder))
        return true;
    lines += tr("Can not create the folder: ") + folder + tr("\n");
    return false;
}

QString BatchWorker::newPathForForlderStructure(const QString& source, const QString& runFolder) const
{
    const QString sourceFolder = MTools::ToolsCommon::normalizePath(QFileInfo(source).absolutePath());
    QString result;
    for (const QUrl& url : m_lstDroppedUrls) {
        const QString local = url.toLocalFile();
        if (local.isEmpty())
            continue;
        const QString dropped = MTools::ToolsCommon::normalizePath(local);
        if (QFileInfo(dropped).isFile()) {
            if (sourceFolder == MTools::ToolsCommon::normalizePath(QFileInfo(dropped).absolutePath()))
                result = runFolder;
            continue;
        }
        if (sourceFolder != dropped && !sourceFolder.startsWith(dropped + '/'))
            continue;
        const QString name = dropped.section('/', -1);
        const QString below = sourceFolder.mid(dropped.size() + 1);
        result = runFolder;
        if (!name.isEmpty())
            result += name + '/';
        if (!below.isEmpty())
            result += below + '/';
    }
    return result.isEmpty() ? runFolder : result;
}

void BatchWorker::copyFiles(const QVector<QString>& files, const QString& runFolder)
{
    const int nFiles = files.size();
    int nCopied = 0;
    for (const QString& file : files) {
        const QFileInfo info(file);
        const QString ext = info.suffix().isEmpty() ? QString() : "." + info.suffix();
        const QString folder = targetFolder(file, runFolder);
        if (makeTargetFolder(folder, m_strErrors)) {
            QString reason;
            FileCopy::copy(file, folder, info.completeBaseName(), ext, &reason);
            if (!reason.isEmpty())
                slotAppendError(tr("Can not copy: ") + file + tr(" (") + reason + tr(")\n"));
        }
        if (m_bStop)
            break;
        ++nCopied;
        emit fileProgress(int(float(nCopied) * 100.0f / float(nFiles)));
    }
}

qint64 BatchWorker::availableBytes(const QString& folder) const { return FreeSpace::available(folder); }

GeneralOutput* BatchWorker::createOutput(const QString& target) { return new GeneralOutput(target, m_format, nullptr); }

int BatchWorker::encodeSlots() const { return QThread::idealThreadCount(); }

ZADovuzIdida::NativeAudioDecoderBase* BatchWorker::createDecoder() const
{
    return new ZADovuzIdida::NativeAudioDecoder;
}
