#include "BatchWorker.h"

#include "ConversionSettings.h"
#include "EncodeQueue.h"
#include "FreeSpace.h"
#include "GeneralOutput.h"
#include "OutputNames.h"
#include "ProductVariant.h"

#include <MTools/ToolsCommon.h>
#include <VUVararer/App.h>
#include <ZADovuzIdida/NativeAudioDecoder.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

BatchWorker::BatchWorker(QObject* parent) : QObject(parent) { setDecoder(new ZADovuzIdida::NativeAudioDecoder(this)); }

BatchWorker::~BatchWorker() = default;

void BatchWorker::setSettings(const ZADovuzIdida::MAudioFormat& format) { m_format = format; }

void BatchWorker::setInputFiles(const QVector<QString>& files) { m_vecInputFiles = files; }

void BatchWorker::setImageFiles(const QVector<QString>& files) { m_vecImageFiles = files; }

void BatchWorker::setTextFiles(const QVector<QString>& files) { m_vecTextFiles = files; }

void BatchWorker::setUnsuportedFiles(const QVector<QString>& files) { m_vecUnsuportedFiles = files; }

void BatchWorker::setDroppedUrls(const QList<QUrl>& urls) { m_lstDroppedUrls = urls; }

void BatchWorker::setDecoder(ZADovuzIdida::NativeAudioDecoderBase* pDecoder)
{
    delete m_pDecoder;
    m_pDecoder = pDecoder;
    m_pDecoder->setParent(this);
    connect(m_pDecoder, SIGNAL(error(QString)), this, SLOT(slotDecoderError(QString)));
}

void BatchWorker::stop() { m_bStop = true; }

void BatchWorker::pause(bool bPause) { m_bPause = bPause; }

void BatchWorker::slotAppendError(const QString& text) { (m_pEncodes ? m_strFileLines : m_strErrors) += text; }

void BatchWorker::slotDecoderError(const QString& message)
{
    qDebug().noquote() << "decoder:" << message;
    m_bDecoderFailed = true;
}

void BatchWorker::slotDoWork()
{
    m_strErrors.clear();
    m_bStop = false;
    m_bPause = false;

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

    const QString runFolder =
        OutputNames::freeFolder(destination + QDateTime::currentDateTime().toString("yyyy-MM-dd_hh-mm-ss")) + "/";
    if (OutputNames::makeFolder(runFolder)) {
        const QString ext = ProductVariant::intermediateExtension();
        const bool bKeepTarget = ProductVariant::kind() == ProductVariant::M4a;
        int nDone = 0;
        {
            // Files count as done, and their lines join the log, when their encodes have ended, in file order.
            EncodeQueue encodes(encodeSlots(), [&](const QString& lines) {
                m_strErrors += lines;
                emitTotalProgress(++nDone, nSteps);
            });
            m_pEncodes = &encodes;
            for (const QString& source : qAsConst(m_vecInputFiles)) {
                const QString folder = targetFolder(source, runFolder);
                QString target;
                if (!folder.isEmpty()) {
                    target = OutputNames::freeName(folder, QFileInfo(source).completeBaseName(), ext);
                    convert(source, target);
                }
                endFile();
                if (m_bStop) {
                    if (!bKeepTarget && !target.isEmpty())
                        QFile::remove(target);
                    break;
                }
            }
            encodes.waitForAll();
            m_pEncodes = nullptr;
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

    if (!m_strErrors.isEmpty())
        emit errorsLog(m_strErrors);
    emit totalProgress(100);
    emit finished(runFolder);
}

void BatchWorker::emitTotalProgress(int nDone, int nSteps)
{
    emit totalProgress(int(float(nDone) * 100.0f / float(nSteps)));
}

QString BatchWorker::targetFolder(const QString& path, const QString& runFolder)
{
    if (!ConversionSettings::folderStructureActive())
        return runFolder;
    const QString folder = newPathForForlderStructure(path, runFolder);
    if (OutputNames::makeFolder(folder))
        return folder;
    slotAppendError(tr("Can not create the folder: ") + folder + tr("\n"));
    return QString();
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
        if (!folder.isEmpty()) {
            const QString target = OutputNames::freeName(folder, info.completeBaseName(), ext);
            if (!QFile::copy(file, target))
                slotAppendError(tr("Can not copy: ") + file + tr("\n"));
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

void BatchWorker::endFile()
{
    m_pEncodes->add(std::move(m_pWritten), m_strFileLines, m_nWrittenReserve);
    m_strFileLines.clear();
    m_nWrittenReserve = 0;
}
