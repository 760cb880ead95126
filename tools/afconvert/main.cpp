// afconvert: encodes an audio file to AAC in an M4A container, writing the target only on success.
#include "AacEncoder.h"
#include "DecodedPeak.h"
#include "Options.h"
#include "WorkingFile.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <malloc.h>
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

constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Makes the working file partial, whose name must be free, with its mode as the umask gives any new file; from then
// on a termination signal removes it before the tool ends. A signal that comes meanwhile waits until it is made.
int createPartial(const std::string& partial)
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int signalNumber : kTerminationSignals)
        sigaddset(&signals, signalNumber);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &signals, &previous);
    const int fd = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    const int error = errno;
    if (fd >= 0 && partial.size() < sizeof(sPartialPath)) {
        std::memcpy(sPartialPath, partial.c_str(), partial.size() + 1);
        struct sigaction action = {};
        action.sa_handler = removePartialAndExit;
        sigemptyset(&action.sa_mask);
        for (int signalNumber : kTerminationSignals)
            sigaction(signalNumber, &action, nullptr);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return fd;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Flushes path, a file or a folder, to the disk; errno tells why it could not.
bool flush(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // EINVAL: a file system that keeps nothing to flush for this kind of file.
    const bool bFlushed = fd >= 0 && (fsync(fd) == 0 || errno == EINVAL);
    const int error = errno;
    if (fd >= 0)
        close(fd);
    errno = error;
    return bFlushed;
}

// Makes the finished encode lasting under output: its data flushed, renamed from partial, its folder flushed; 0 when
// done. When a step fails, the encode stays where it is, the last line of standard error says where, and the result
// is WorkingFile::kKeptExit.
int keepEncode(const std::string& partial, const std::string& output)
{
    int error = 0;
    std::string step;
    std::string kept = partial;
    if (!flush(partial)) {
        error = errno;
        step = "flush " + partial;
    } else if (std::rename(partial.c_str(), output.c_str()) != 0) {
        error = errno;
        step = "rename " + partial + " to " + output;
    } else if (!flush(folderOf(output))) {
        error = errno;
        step = "flush the folder of " + output;
        kept = output;
    } else {
        return 0;
    }
    std::fprintf(stderr, "afconvert: cannot %s: %s; the finished encode is kept as %s\n", step.c_str(),
                 std::strerror(error), kept.c_str());
    return WorkingFile::kKeptExit;
}

// Tells the caller that the working file is the tool's; a terminal is told nothing.
void tellWorkingFileMade()
{
    const char message = WorkingFile::kMade;
    if (!isatty(STDOUT_FILENO))
        while (write(STDOUT_FILENO, &message, 1) < 0 && errno == EINTR) {
        }
}

// Tells the caller a decoded peak after kind (DecodedPeak.h); a terminal is told nothing.
void tellPeak(char kind, float peak)
{
    char message[32];
    const int length = std::snprintf(message, sizeof message, "%c%.9g\n", kind, double(peak));
    if (isatty(STDOUT_FILENO) || length <= 0)
        return;
    for (int done = 0; done < length;) {
        const ssize_t written = write(STDOUT_FILENO, message + done, size_t(length - done));
        if (written < 0 && errno != EINTR)
            return;
        done += written > 0 ? int(written) : 0;
    }
}

} // namespace

int main(int argc, char** argv)
{
    av_log_set_level(AV_LOG_ERROR);
    // Every part opens and frees encoders and decoders of its own: with a fixed threshold their large buffers go back
    // to the system when freed, where the adaptive one would keep them in the threads' arenas.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "afconvert: %s\n", error.c_str());
        return 1;
    }
    const std::string partial = options.output + WorkingFile::kSuffix;
    // Made here, so that a file found under that name is neither written over nor removed.
    const int created = createPartial(partial);
    if (created < 0) {
        const bool bTaken = errno == EEXIST;
        std::perror(("afconvert: cannot create " + partial).c_str());
        return bTaken ? WorkingFile::kNameTakenExit : AacEncoder::OutputError;
    }
    close(created);
    tellWorkingFileMade();
    AacEncoder encoder;
    const AacEncoder::Result result = encoder.run(options, partial, &error);
    // The data reaches the disk before the name, and the name before the tool reports success; a finished encode is
    // never removed.
    const int kept = result == AacEncoder::Success ? keepEncode(partial, options.output) : 0;
    if (kept != 0)
        return kept;
    if (result != AacEncoder::Success) {
        std::remove(partial.c_str());
        if (result == AacEncoder::PeakPassed)
            tellPeak(DecodedPeak::kPassed, encoder.passedPeak());
        std::fprintf(stderr, "afconvert: %s\n", error.c_str());
        return result;
    }
    // The result's decode has overlapped the flushes.
    const float peak = options.peak ? encoder.decodedPeak() : -1.0f;
    if (peak >= 0.0f)
        tellPeak(DecodedPeak::kPeak, peak);
    return 0;
}
