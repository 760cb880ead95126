// Test helper on libltc: makes timecode signals and decodes them as the reference.
//   ltcsignal generate RATE FPS SECONDS HH MM SS FF [USERBITS-HEX] > out.u8   (unsigned 8-bit mono)
//   ltcsignal decode SAMPLES-PER-FRAME < in.u8
//     one line per frame: "HH:MM:SS:FF drop=D user=XXXXXXXX end=E"
#include <ltc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int generate(int argc, char** argv)
{
    const double rate = atof(argv[2]);
    const double fps = atof(argv[3]);
    SMPTETimecode time = {"+0000",
                          0,
                          0,
                          0,
                          (unsigned char)atoi(argv[5]),
                          (unsigned char)atoi(argv[6]),
                          (unsigned char)atoi(argv[7]),
                          (unsigned char)atoi(argv[8])};
    LTCEncoder* encoder = ltc_encoder_create(rate, fps, fps == 25.0 ? LTC_TV_625_50 : LTC_TV_525_60, 0);
    ltc_encoder_set_timecode(encoder, &time);
    if (std::floor(fps) != fps) {
        LTCFrame frame;
        ltc_encoder_get_frame(encoder, &frame);
        frame.dfbit = 1;
        ltc_encoder_set_frame(encoder, &frame);
    }
    if (argc > 9)
        ltc_encoder_set_user_bits(encoder, strtoul(argv[9], nullptr, 16));
    std::vector<ltcsnd_sample_t> buffer(ltc_encoder_get_buffersize(encoder));
    const int frames = int(atof(argv[4]) * fps + 0.5);
    for (int i = 0; i < frames; ++i) {
        ltc_encoder_encode_frame(encoder);
        fwrite(buffer.data(), 1, size_t(ltc_encoder_copy_buffer(encoder, buffer.data())), stdout);
        ltc_encoder_inc_timecode(encoder);
    }
    ltc_encoder_free(encoder);
    return 0;
}

int decode(char** argv)
{
    LTCDecoder* decoder = ltc_decoder_create(atoi(argv[2]), 32);
    ltcsnd_sample_t buffer[1024];
    size_t n;
    ltc_off_t total = 0;
    LTCFrameExt frame;
    SMPTETimecode time;
    while ((n = fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        ltc_decoder_write(decoder, buffer, n, total);
        total += ltc_off_t(n);
        while (ltc_decoder_read(decoder, &frame)) {
            ltc_frame_to_time(&time, &frame.ltc, 0);
            printf("%02d:%02d:%02d:%02d drop=%d user=%08lx end=%lld\n", time.hours, time.mins, time.secs, time.frame,
                   int(frame.ltc.dfbit), ltc_frame_get_user_bits(&frame.ltc), (long long)frame.off_end);
        }
    }
    ltc_decoder_free(decoder);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 9 && strcmp(argv[1], "generate") == 0)
        return generate(argc, argv);
    if (argc == 3 && strcmp(argv[1], "decode") == 0)
        return decode(argv);
    fprintf(stderr, "usage: ltcsignal generate RATE FPS SECONDS HH MM SS FF [USERBITS] | decode SAMPLES-PER-FRAME\n");
    return 2;
}
