#include "PartScheduler.h"

#include "EncodeParts.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/error.h>
}

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

void tell(char message)
{
    while (::write(STDOUT_FILENO, &message, 1) < 0 && errno == EINTR) {
    }
}

// One packet in a spool file, followed by its data.
struct SpooledPacket
{
    int64_t pts;
    int64_t dts;
    int64_t duration;
    int32_t flags;
    int32_t size;
};

int ioError() { return AVERROR(errno ? errno : EIO); }

} // namespace

PartScheduler::PartScheduler(MakeEncoder makeEncoder, Write write, bool lend, std::string spoolPattern)
    : m_makeEncoder(std::move(makeEncoder)), m_write(std::move(write)), m_bLend(lend),
      m_strSpoolPattern(std::move(spoolPattern))
{
}

PartScheduler::~PartScheduler()
{
    for (std::thread& worker : m_vecWorkers)
        worker.join();
    for (const Part& part : m_vecParts) {
        if (part.pSpool)
            std::fclose(part.pSpool);
    }
    for (const int fd : m_ended) {
        if (fd >= 0)
            close(fd);
    }
}

int PartScheduler::run(const std::vector<Stretch>& stretches)
{
    for (const Stretch& stretch : stretches)
        m_vecParts.push_back(Part{stretch});
    if (m_bLend && pipe2(m_ended, O_CLOEXEC) != 0)
        return AVERROR(errno);
    int rc = 0;
    if (m_bLend)
        rc = lendLoop();
    else
        while (addWorker()) {
        }
    for (std::thread& worker : m_vecWorkers)
        worker.join();
    m_vecWorkers.clear();
    std::lock_guard<std::mutex> lock(m_mutex);
    return rc < 0 ? rc : m_nResult;
}

bool PartScheduler::addWorker()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nResult < 0 || m_nNext >= m_vecParts.size())
        return false;
    const size_t index = m_nNext++;
    m_vecWorkers.emplace_back([this, index] { work(index); });
    return true;
}

void PartScheduler::work(size_t index)
{
    for (;;) {
        const int rc = encode(index);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_vecParts[index].bEnded = true;
        if (m_nResult >= 0)
            m_nResult = rc < 0 ? rc : advance();
        if (m_nResult < 0 || m_nNext >= m_vecParts.size())
            break;
        index = m_nNext++;
    }
    const char ended = 'e';
    while (m_ended[1] >= 0 && ::write(m_ended[1], &ended, 1) < 0 && errno == EINTR) {
    }
}

int PartScheduler::encode(size_t index)
{
    std::unique_ptr<PartEncoder> encoder;
    const int rc = m_makeEncoder(&encoder);
    return rc < 0 ? rc : encoder->run(m_vecParts[index].stretch, [this, index](AVPacket* packet) {
        return take(index, packet);
    });
}

int PartScheduler::take(size_t index, AVPacket* packet)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nResult < 0)
        return m_nResult;
    return index == m_nHead ? m_write(packet) : spool(&m_vecParts[index], packet);
}

int PartScheduler::spool(Part* part, const AVPacket* packet)
{
    if (!part->pSpool) {
        // Created exclusively beside the output and unlinked at once: it goes with the tool however the tool ends.
        std::string path = m_strSpoolPattern;
        const int fd = mkostemp(&path[0], O_CLOEXEC);
        if (fd < 0)
            return ioError();
        unlink(path.c_str());
        part->pSpool = fdopen(fd, "w+b");
        if (!part->pSpool) {
            const int rc = ioError();
            close(fd);
            return rc;
        }
    }
    const SpooledPacket header{packet->pts, packet->dts, packet->duration, packet->flags, packet->size};
    if (std::fwrite(&header, sizeof header, 1, part->pSpool) != 1 ||
        std::fwrite(packet->data, 1, size_t(packet->size), part->pSpool) != size_t(packet->size))
        return ioError();
    return 0;
}

int PartScheduler::advance()
{
    while (m_nHead < m_vecParts.size() && m_vecParts[m_nHead].bEnded) {
        if (++m_nHead < m_vecParts.size()) {
            const int rc = unspool(&m_vecParts[m_nHead]);
            if (rc < 0)
                return rc;
        }
    }
    return 0;
}

int PartScheduler::unspool(Part* part)
{
    if (!part->pSpool)
        return 0;
    FILE* const pSpool = part->pSpool;
    part->pSpool = nullptr;
    AVPacket* packet = av_packet_alloc();
    int rc = !packet ? AVERROR(ENOMEM) : std::fseek(pSpool, 0, SEEK_SET) != 0 ? ioError() : 0;
    SpooledPacket header;
    while (rc >= 0 && std::fread(&header, sizeof header, 1, pSpool) == 1) {
        rc = av_new_packet(packet, header.size);
        if (rc >= 0 && std::fread(packet->data, 1, size_t(header.size), pSpool) != size_t(header.size))
            rc = AVERROR_INVALIDDATA;
        packet->pts = header.pts;
        packet->dts = header.dts;
        packet->duration = header.duration;
        packet->flags = header.flags;
        if (rc >= 0)
            rc = m_write(packet);
        av_packet_unref(packet);
    }
    if (rc >= 0 && std::ferror(pSpool))
        rc = ioError();
    av_packet_free(&packet);
    std::fclose(pSpool);
    return rc;
}

int PartScheduler::lendLoop()
{
    // A caller gone away must not end the tool.
    std::signal(SIGPIPE, SIG_IGN);
    const auto waiting = [this] {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_nResult >= 0 && m_nNext < m_vecParts.size();
    };
    int workers = addWorker() ? 1 : 0;
    int lent = 0;
    bool bAsked = false;
    bool bInput = true;
    while (workers > 0) {
        // One core is asked for at a time, while a stretch waits for a worker.
        if (!bAsked && bInput && waiting()) {
            tell(EncodeParts::kWantCore);
            bAsked = true;
        }
        pollfd fds[2] = {{m_ended[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int ready = poll(fds, bInput ? 2 : 1, -1);
        if (ready < 0 && errno != EINTR)
            return AVERROR(errno);
        char message = 0;
        if (ready > 0 && (fds[0].revents & POLLIN) && ::read(m_ended[0], &message, 1) == 1) {
            // A worker found no stretch left: the core it ran on goes back when it was lent.
            --workers;
            if (lent > 0) {
                --lent;
                tell(EncodeParts::kReturnCore);
            }
        }
        if (ready > 0 && bInput && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            if (::read(STDIN_FILENO, &message, 1) != 1) {
                bInput = false;
            } else if (message == EncodeParts::kLendCore) {
                bAsked = false;
                if (addWorker()) {
                    ++workers;
                    ++lent;
                } else {
                    tell(EncodeParts::kReturnCore);
                }
            }
        }
    }
    return 0;
}
