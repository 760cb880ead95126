#include "AFTransCoder.h"

#include "CoreLender.h"
#include "ProcessGroups.h"
#include "TiedProcess.h"

#include <VUVararer/App.h>
#include <afconvert/DecodedPeak.h>
#include <afconvert/EncodeParts.h>
#include <afconvert/WorkingFile.h>

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace ZADovuzIdida {

AFTransCoder::AFTransCoder(QObject* parent) : QObject(parent) {}

void AFTransCoder::setQuality(const int& quality) { m_nQuality = quality; }

void AFTransCoder::setBitrate(const int& bitrate) { m_nBitrate = bitrate; }

QString AFTransCoder::format() const { return "m4af"; }

QString AFTransCoder::formatDescription() const { return "Apple MPEG-4 Audio"; }

QStringList AFTransCoder::extensions() const { return {"m4a", "m4r"}; }

QStringList AFTransCoder::dataFormats() const
{
    return {"aac ", "aace", "aacf", "aacg", "aach", "aacl", "aacp", "ac-3", "alac", "ec-3", "paac", "pac3", "pec3"};
}

void AFTransCoder::convert(const QString& input, const QString& output)
{
    const QString dataFormat = dataFormats().first();
    QStringList arguments{input,
                          "-o",
                          output,
                          "-q",
                          QString::number(m_nQuality),
                          "-b",
                          QString::number(m_nBitrate),
                          "-f",
                          format(),
                          "-d",
                          dataFormat.trimmed()};
    QString command = "afconvert \"" + input + "\" -o \"" + output + "\" -q " + QString::number(m_nQuality) + " -b " +
                      QString::number(m_nBitrate) + " -f " + format() + " -d " + dataFormat;
    if (m_fGain != 1.0f) {
        const QString decibels = QString::number(20.0 * std::log10(double(m_fGain)), 'f', 3);
        arguments << "--gain" << decibels;
        command += " --gain " + decibels;
    }
    const int nParts = std::min(m_nParts, EncodeParts::kMaxParts);
    const bool bLending = nParts > 1 && m_pLender;
    if (nParts > 1) {
        arguments << "--parts" << QString::number(nParts);
        command += " --parts " + QString::number(nParts);
    }
    if (bLending) {
        arguments << "--lend";
        command += " --lend";
    }
    if (m_bMeasurePeak) {
        arguments << "--peak";
        command += " --peak";
    }
    if (m_fStopAbove > 0.0f) {
        const QString decibels = QString::number(20.0 * std::log10(double(m_fStopAbove)), 'f', 4);
        arguments << "--stop-above" << decibels;
        command += " --stop-above " + decibels;
    }
    qDebug().noquote() << "COMMAND: " + command;

    // The installed program's private helper comes first, then the tool beside a build-tree program, then the
    // search path.
    const QString strAppDir = QCoreApplication::applicationDirPath();
    QString program = QStandardPaths::findExecutable(
        "afconvert", {strAppDir + QStringLiteral("/" ZADOVUZIDIDA_HELPER_DIR), strAppDir});
    if (program.isEmpty())
        program = "afconvert";
    // The encoder ends with the program: no untagged result appears after the program is gone.
    TiedProcess process;
    // The tool tells on its standard output when its working file is made, and asks for cores and gives them back;
    // they are lent on its standard input. At its end it may tell its result's peak, as text up to a newline.
    bool bMadeWorkingFile = false;
    int nWanted = 0;
    int nLent = 0;
    // The kind of peak being read (DecodedPeak.h), or 0.
    char peakKind = 0;
    QByteArray peakText;
    m_fDecodedPeak = -1.0f;
    m_fPassedPeak = -1.0f;
    const auto readMessages = [&] {
        for (const char message : process.readAllStandardOutput()) {
            if (peakKind != 0 && message != '\n') {
                peakText += message;
            } else if (peakKind != 0) {
                float peak = 0.0f;
                const char* const pEnd = peakText.constData() + peakText.size();
                const std::from_chars_result parsed = std::from_chars(peakText.constData(), pEnd, peak);
                if (parsed.ec == std::errc() && parsed.ptr == pEnd && peak >= 0.0f)
                    (peakKind == DecodedPeak::kPeak ? m_fDecodedPeak : m_fPassedPeak) = peak;
                peakKind = 0;
            } else if (message == DecodedPeak::kPeak || message == DecodedPeak::kPassed) {
                peakKind = message;
                peakText.clear();
            } else if (message == WorkingFile::kMade) {
                bMadeWorkingFile = true;
            } else if (message == EncodeParts::kWantCore) {
                ++nWanted;
            } else if (message == EncodeParts::kReturnCore && nLent > 0) {
                --nLent;
                m_pLender->giveBack(1);
            }
        }
    };
    const auto lendCores = [&] {
        readMessages();
        for (; nWanted > 0 && m_pLender->lend(); --nWanted, ++nLent)
            process.write(&EncodeParts::kLendCore, 1);
    };
    const bool bRan = process.run(program, arguments, m_pGroups, bLending ? lendCores : std::function<void()>());
    readMessages();
    if (nLent > 0)
        m_pLender->giveBack(nLent);
    m_strErrorText.clear();
    m_bWorkingNameTaken = false;
    m_strKeptEncode.clear();
    const bool bSucceeded = bRan && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const bool bKept =
        bRan && process.exitStatus() == QProcess::NormalExit && process.exitCode() == WorkingFile::kKeptExit;
    if (!bSucceeded)
        m_fDecodedPeak = -1.0f;
    if (bSucceeded || process.exitStatus() != QProcess::NormalExit || process.exitCode() != DecodedPeak::kPassedExit)
        m_fPassedPeak = -1.0f;
    // A tool that was ended, was killed or crashed may leave its working file; a file it did not make stays, and so
    // does a finished encode.
    const QString working = output + QLatin1String(WorkingFile::kSuffix);
    if (bKept)
        m_strKeptEncode = QFile::exists(working) ? working : output;
    else if (!bSucceeded && bMadeWorkingFile)
        QFile::remove(working);
    if (!bSucceeded && m_pGroups && m_pGroups->isEnded()) {
        m_strErrorText = QCoreApplication::translate("AFTransCoder", "afconvert was ended");
    } else if (process.error() == QProcess::FailedToStart) {
        m_strErrorText = QCoreApplication::translate("AFTransCoder", "afconvert can not be started");
    } else if (process.exitStatus() != QProcess::NormalExit) {
        m_strErrorText = QCoreApplication::translate("AFTransCoder", "afconvert crashed");
    } else if (process.exitCode() != 0) {
        m_bWorkingNameTaken = process.exitCode() == WorkingFile::kNameTakenExit;
        const QString message = QString::fromLocal8Bit(process.readAllStandardError()).trimmed().section('\n', -1);
        m_strErrorText =
            message.isEmpty()
                ? QCoreApplication::translate("AFTransCoder", "afconvert ended with code %1").arg(process.exitCode())
                : message;
    }
    if (!m_strErrorText.isEmpty())
        qDebug() << "afconvert:" << m_strErrorText;
    qDebug() << "!!!END";
}

LameTransCoder::LameTransCoder(QObject* parent) : QObject(parent) {}

void LameTransCoder::start()
{
    QString directory;
    if (VUVararer::App* app = VUVararer::App::theApp())
        directory = app->supportDirectory(true);
    directory.replace(" ", "\\ ");
    const QString command =
        "/usr/bin/lame --ti ~/Desktop/cover.jpg -b 8 --cbr ~/Movies/test.wav " + directory + "test.mp3";
    qDebug().noquote() << "Command:" << command;
    QProcess::startDetached("/bin/bash", {"-c", command});
    qDebug() << "!!!END";
}

char* reverse_string(char* s)
{
    if (!s)
        return s;
    const size_t length = std::strlen(s);
    for (size_t i = 0; i + 1 < length - i; ++i)
        std::swap(s[i], s[length - 1 - i]);
    return s;
}

} // namespace ZADovuzIdida
