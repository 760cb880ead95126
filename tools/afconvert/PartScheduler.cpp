#include "PartScheduler.h"

#include "SplitPlan.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/error.h>
}

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <poll.h>
#include <unistd.h>

namespace {

void tell(char message)
{
    while (::write(STDOUT_FILENO, &message, 1) < 0 && errno == EINTR) {
    }
}

// Looked at again this often while parts run: what is left of them changes.
constexpr int kLookMs = 250;

} // namespace

PartScheduler::PartScheduler(MakeEncoder makeEncoder, bool lend, int maxParts, long long length)
    : m_makeEncoder(std::move(makeEncoder)), m_bLend(lend), m_nMaxParts(maxParts), m_nLength(length)
{
}

PartScheduler::~PartScheduler()
{
    for (const std::unique_ptr<Part>& part : m_vecParts) {
        if (part->thread.joinable())
            part->thread.join();
        for (AVPacket* packet : part->packets)
            av_packet_free(&packet);
    }
    for (const int fd : m_ended) {
        if (fd >= 0)
            close(fd);
    }
}

void PartScheduler::start(std::unique_ptr<PartEncoder> encoder, const Stretch& stretch)
{
    m_vecParts.push_back(std::make_unique<Part>());
    Part* part = m_vecParts.back().get();
    part->encoder = std::move(encoder);
    part->thread = std::thread([part, stretch, fd = m_ended[1]] {
        part->result = part->encoder->run(stretch, [part](AVPacket* packet) {
            AVPacket* kept = av_packet_alloc();
            if (!kept)
                return AVERROR(ENOMEM);
            av_packet_move_ref(kept, packet);
            part->packets.push_back(kept);
            return 0;
        });
        part->bEnded = true;
        const char ended = 'e';
        while (fd >= 0 && ::write(fd, &ended, 1) < 0 && errno == EINTR) {
        }
    });
}

int PartScheduler::run(std::vector<std::unique_ptr<PartEncoder>> encoders, const std::vector<Stretch>& stretches)
{
    if (m_bLend && pipe(m_ended) != 0)
        return AVERROR(errno);
    for (size_t i = 0; i < encoders.size(); ++i)
        start(std::move(encoders[i]), stretches[i]);
    int rc = m_bLend ? lendLoop() : 0;
    for (const std::unique_ptr<Part>& part : m_vecParts) {
        part->thread.join();
        rc = rc < 0 ? rc : part->result;
    }
    return rc;
}

int PartScheduler::running() const
{
    return int(std::count_if(m_vecParts.begin(), m_vecParts.end(),
                             [](const std::unique_ptr<Part>& part) { return !part->bEnded; }));
}

PartScheduler::Part* PartScheduler::mostLeft() const
{
    Part* longest = nullptr;
    long long mostLeft = -1;
    for (const std::unique_ptr<Part>& part : m_vecParts) {
        const long long left = std::min(part->encoder->stretch().keepTo, m_nLength) - part->encoder->reached();
        if (!part->bEnded && left > mostLeft) {
            mostLeft = left;
            longest = part.get();
        }
    }
    return longest;
}

bool PartScheduler::worthCutting() const
{
    const Part* longest = mostLeft();
    return int(m_vecParts.size()) < m_nMaxParts && longest &&
           cutFrame(longest->encoder->stretch(), longest->encoder->reached(), m_nLength) >= 0;
}

bool PartScheduler::cutOne()
{
    if (!worthCutting())
        return false;
    Part* longest = mostLeft();
    std::unique_ptr<PartEncoder> encoder;
    Stretch first;
    Stretch second;
    if (m_makeEncoder(&encoder) < 0 ||
        !cutStretch(&encoder->reader(), longest->encoder->stretch(), longest->encoder->reached(), &first, &second) ||
        !longest->encoder->shorten(first))
        return false;
    start(std::move(encoder), second);
    return true;
}

int PartScheduler::lendLoop()
{
    // A caller gone away must not end the tool.
    std::signal(SIGPIPE, SIG_IGN);
    int lent = 0;
    bool bAsked = false;
    bool bInput = true;
    while (running() > 0) {
        // One core is asked for at a time, while a part is worth cutting.
        if (!bAsked && bInput && worthCutting()) {
            tell('w');
            bAsked = true;
        }
        pollfd fds[2] = {{m_ended[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int ready = poll(fds, bInput ? 2 : 1, kLookMs);
        if (ready < 0 && errno != EINTR)
            return AVERROR(errno);
        char message = 0;
        if (ready > 0 && (fds[0].revents & POLLIN) && ::read(m_ended[0], &message, 1) == 1) {
            // The core of the ended part takes a new one, or goes back when it was lent.
            if (!cutOne() && lent > 0 && running() < 1 + lent) {
                --lent;
                tell('r');
            }
        }
        if (ready > 0 && bInput && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            if (::read(STDIN_FILENO, &message, 1) != 1) {
                bInput = false;
            } else if (message == 'c') {
                bAsked = false;
                if (cutOne())
                    ++lent;
                else
                    tell('r');
            }
        }
    }
    for (; lent > 0; --lent)
        tell('r');
    return 0;
}

std::vector<AVPacket*> PartScheduler::takePackets()
{
    std::sort(m_vecParts.begin(), m_vecParts.end(), [](const std::unique_ptr<Part>& a, const std::unique_ptr<Part>& b) {
        return a->encoder->stretch().keepFrom < b->encoder->stretch().keepFrom;
    });
    std::vector<AVPacket*> packets;
    for (const std::unique_ptr<Part>& part : m_vecParts) {
        packets.insert(packets.end(), part->packets.begin(), part->packets.end());
        part->packets.clear();
    }
    return packets;
}
