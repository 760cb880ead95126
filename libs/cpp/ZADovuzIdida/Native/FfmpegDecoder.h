#pragma once
// Decode engine: any file with an audio stream to interleaved stereo S16 or S32 at a chosen rate.

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <memory>
#include <vector>

struct AVAudioFifo;
struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace ZADovuzIdida {

class FfmpegDecoder
{
public:
    enum class SampleFormat { S16, S32, F32 };
    // Sources outside these ranges are refused at open.
    static constexpr int MinSourceRate = 1000;
    static constexpr int MaxSourceRate = 768000;
    static constexpr int MaxSourceChannels = 64;

    FfmpegDecoder();
    ~FfmpegDecoder();
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

    // Opens the best audio stream of path (the sound track of a video too). Returns 0 or a status; a rate or
    // channel count outside the ranges above gives kStatusUnsupportedDataFormat.
    int open(const QString& path);
    // Fixes the output: stereo at sampleRate. Fails when no file is open. Returns 0 or a status.
    int setOutputFormat(int sampleRate, SampleFormat format);
    void close();

    bool isOpen() const { return m_pFormat != nullptr; }
    bool isReady() const { return m_pFormat != nullptr && m_pFifo != nullptr; }
    bool atEnd() const;
    int bytesPerFrame() const { return m_eFormat == SampleFormat::S16 ? 4 : 8; }
    int sampleRate() const { return m_nRate; }
    // The rate of the open stream as the file declares it; 0 without a file.
    int sourceRate() const;

    // Fills dst with up to frames stereo frames; fewer only at the end of the stream. A damaged packet is
    // skipped and counted; a read or demux error ends the stream and is left in *status (0 otherwise). So is
    // kStatusTruncated when a stream read from its start ends clearly before the length its file declares.
    int read(void* dst, int frames, int* status = nullptr);
    // Packets since open that the codec refused or concealed; kept after close.
    int damagedPackets() const { return m_nDamagedPackets; }

    // Moves to the exact frame at ms (output rate) and continues from there. Returns 0 or a status.
    int seek(qint64 ms);
    // From here on the stream is the frames whose timestamps lie in [fromFrame, toFrame), exact where cutsExactly():
    // decoding enters at a frame stamped at or before fromFrame (at the start if need be), drops what lies before it
    // and ends at the first frame stamped at or after toFrame. Damaged packets count only within the range.
    // Returns 0 or a status.
    int decodeRange(qint64 fromFrame, qint64 toFrame);
    // After decodeRange: the stream ended before reaching its range's end.
    bool endedInRange() const { return m_bDecoderDone && !m_bPastRange; }
    // The length the file declares, in output frames; -1 when it declares none it knows exactly.
    qint64 declaredFrames() const;
    // True when a stream of frames output frames ends clearly before that length.
    bool fallsShort(qint64 frames) const;
    // True when the open stream decodes at the output rate to the same frames wherever it is entered by seek():
    // PCM or FLAC, not resampled, of a known length.
    bool cutsExactly() const;
    // True when the open stream decodes at the output rate to the same frames in a fresh decoder that was fed a few
    // packets before them, as memory() tells: MP3 (in floats) and Vorbis, whose state reaches back a bounded way.
    bool cutsByPackets() const;
    // Where cutsByPackets(): a fresh decoder decodes a packet as one from the start does once fed nSettlePackets
    // before it, and before those as many more as hold nReservoirBytes of data beyond nOverheadBytes each.
    struct Memory
    {
        int nSettlePackets = 0;
        int nReservoirBytes = 0;
        int nOverheadBytes = 0;
    };
    Memory memory() const;
    // The length the file declares or estimates, in output frames; -1 when it tells none.
    qint64 estimatedFrames() const;

    // A packet of the open stream with what a decoder fed it needs to know: its length in output frames (0 when
    // unknown), its bytes, and whether it changes the decoder's setup, which a decoder fed only later packets lacks.
    struct Packet
    {
        std::shared_ptr<AVPacket> pPacket;
        qint64 nFrames = 0;
        int nBytes = 0;
        bool bRenews = false;
    };
    // The next packet of the open stream as read() would decode it; none at the end (*status 0) or on a read
    // error (*status that error).
    Packet readPacket(int* status);
    // From here on the stream is what a fresh decoder makes of packets: the frames it gives after each from
    // nFirstKept on; with bFileEnds it is flushed after the last, as at the end of the file. The frames given after
    // the nChecked packets before nFirstKept and after the last nChecked are kept for enteredFrames() and
    // endedFrames(). Returns 0 or a status.
    int decodePackets(std::vector<std::shared_ptr<AVPacket>> packets, size_t nFirstKept, int nChecked, bool bFileEnds);
    // After decodePackets: false where the frames kept may differ from those of a decode from the start, because one
    // needed resampling, whose state the frames before would have set, or decoding failed before the first kept.
    bool fedExactly() const { return m_bFedExactly; }
    // Decoded frames as they came from the codec, with their layout; equal where two decoders were in one state.
    const std::vector<uint8_t>& enteredFrames() const { return m_vecEntered; }
    const std::vector<uint8_t>& endedFrames() const { return m_vecEnded; }

private:
    int openFile();
    int openCodec(const AVCodec* codec);
    int takeFed();
    void capture(const AVFrame* frame, std::vector<uint8_t>* pInto) const;
    int makeResampler(const AVFrame* frame);
    int decodeMore();
    // Moves to the frame at or before timestamp (stream time base, from the stream's start); false where the
    // container cannot.
    bool seekStream(int64_t timestamp);
    // Empties what was decoded and starts the output anew, as at a seek.
    void restartOutput();
    int reopen();
    // Where frame lies by its timestamp in output frames, or right after the frame before; -1 when unknown.
    qint64 framePosition(const AVFrame* frame) const;
    void countDamaged(qint64 position);
    void writeToFifo(uint8_t* data, int frames);
    bool endsShort() const;
    int pushConverted(const AVFrame* frame);
    void drainResampler();

    QString m_strPath;
    int m_nRate = 0;
    SampleFormat m_eFormat = SampleFormat::S16;
    AVFormatContext* m_pFormat = nullptr;
    AVCodecContext* m_pCodec = nullptr;
    SwrContext* m_pResampler = nullptr;
    AVAudioFifo* m_pFifo = nullptr;
    AVPacket* m_pPacket = nullptr;
    AVFrame* m_pFrame = nullptr;
    int m_nStream = -1;
    int m_nInRate = 0;
    int m_nInFormat = -1;
    int m_nInChannels = 0;
    uint64_t m_nInMask = 0;
    bool m_bInputDone = false;
    bool m_bDecoderDone = false;
    qint64 m_nDropFrames = 0;
    qint64 m_nSeekTarget = -1;
    // The declared length in stream time base units; -1 when the file gives none it knows exactly.
    qint64 m_nDeclaredDuration = -1;
    qint64 m_nFramesOut = 0;
    bool m_bSeeked = false;
    // The range decodeRange set, in output frames; m_nRangeTo -1 without one.
    qint64 m_nRangeFrom = 0;
    qint64 m_nRangeTo = -1;
    // Where the next frame lies by the timestamps; -1 until a frame with a timestamp tells.
    qint64 m_nClock = -1;
    // The first frame after entering carried a timestamp; where it lies, -1 otherwise.
    qint64 m_nEntryAt = -1;
    bool m_bEntering = false;
    bool m_bPastRange = false;
    int m_nDamagedPackets = 0;
    std::vector<uint8_t> m_vecScratch;
    // While decodePackets feeds the codec: the packets, how many were sent, and which frames go where.
    bool m_bFed = false;
    std::vector<std::shared_ptr<AVPacket>> m_vecFeed;
    size_t m_nFed = 0;
    size_t m_nFirstKept = 0;
    size_t m_nChecked = 0;
    bool m_bFeedEndsFile = false;
    // The last packet sent is one whose frames are kept; damage counts only there.
    bool m_bKeeping = true;
    bool m_bFedExactly = true;
    std::vector<uint8_t>* m_pCapture = nullptr;
    std::vector<uint8_t> m_vecEntered;
    std::vector<uint8_t> m_vecEnded;
};

} // namespace ZADovuzIdida
