// afconvert: encodes an audio file to AAC in an M4A container, writing the target only on success.
#include "AacEncoder.h"
#include "Options.h"

extern "C" {
#include <libavutil/log.h>
}

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

// The file being written, for the termination handler; it may only touch this buffer.
char sPartialPath[4096];

extern "C" void removePartialAndExit(int signalNumber)
{
    if (sPartialPath[0] != '\0')
        unlink(sPartialPath);
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

// A termination signal removes the unfinished target before the tool ends.
void removePartialOnTermination(const std::string& partial)
{
    if (partial.size() >= sizeof(sPartialPath))
        return;
    std::memcpy(sPartialPath, partial.c_str(), partial.size() + 1);
    struct sigaction action = {};
    action.sa_handler = removePartialAndExit;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signalNumber, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    av_log_set_level(AV_LOG_ERROR);
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "afconvert: %s\n", error.c_str());
        return 1;
    }
    const std::string partial = options.output + ".partial";
    removePartialOnTermination(partial);
    AacEncoder encoder;
    const AacEncoder::Result result = encoder.run(options, partial, &error);
    if (result == AacEncoder::Success && std::rename(partial.c_str(), options.output.c_str()) != 0) {
        std::perror(("afconvert: cannot rename to " + options.output).c_str());
        std::remove(partial.c_str());
        return AacEncoder::OutputError;
    }
    if (result != AacEncoder::Success) {
        std::remove(partial.c_str());
        std::fprintf(stderr, "afconvert: %s\n", error.c_str());
        return result;
    }
    return 0;
}
