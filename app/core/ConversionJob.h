#pragma once
// One input file on its way through a run: its decoder, analysis, error lines, written output and what it shows.

#include "GeneralOutput.h"

#include <ZADovuzIdida/NativeAudioDecoderBase.h>

#include <QString>

#include <memory>

struct ConversionJob
{
    // Results of the first pass: count of interleaved values, peak magnitude, the true peak within what the encoder
    // keeps (between the samples too; measured only for a normalized M4A result, else 0), first and last value index
    // above the sound threshold (both 0 when bSoundFound is false).
    struct Analysis
    {
        qint64 count = 0;
        float peak = 0.0f;
        float truePeak = 0.0f;
        qint64 firstSound = 0;
        qint64 lastSound = 0;
        bool bSoundFound = false;
    };

    // The file's place in the order the run converts its files in; a job converted on its own (direct) is always the
    // one shown.
    int index = 0;
    bool bDirect = false;
    QString source;
    // The target folder, the intermediate file and the result's name, decided before the run (direct jobs choose
    // the result's name as they end).
    QString folder;
    QString target;
    QString result;
    // In a run, the job's own decoder, made and ended on its thread around the passes.
    ZADovuzIdida::NativeAudioDecoderBase* pDecoder = nullptr;
    std::unique_ptr<ZADovuzIdida::NativeAudioDecoderBase> pOwnDecoder;
    bool bDecoderFailed = false;
    // A stop came while the file was converted beside the one shown: nothing of it is kept.
    bool bDropped = false;
    Analysis analysis;
    QString lines;
    // After the second pass: the output whose intermediate is written and the disk space its encode may take.
    std::unique_ptr<GeneralOutput> pWritten;
    qint64 reserve = 0;
    // The text and percent the file would show while it is the one shown; guarded by the worker.
    QString text;
    int percent = 0;
    // Set when the job's thread has ended its work; guarded by the worker.
    bool bDone = false;
};
