#include "GraphX.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace MGraphX {

int GraphX::sm_nWidth = 0;
int GraphX::sm_nHeight = 0;
signed char GraphX::sm_nMode = 0;

bool GraphX::contains(int, int) const { return true; }

void GraphX::run(int x0, int n, int y, int colour) const
{
    for (int i = 0; i < n; ++i)
        self()->setPixel(x0 + i, y, colour);
}

void GraphX::lineH(int x1, int x2, int y, int colour) const
{
    for (int x = x1; x < x2; ++x)
        self()->setPixel(x, y, colour);
}

void GraphX::lineV(int y1, int y2, int x, int colour) const
{
    for (int y = y1; y < y2; ++y)
        self()->setPixel(x, y, colour);
}

void GraphX::line(int x1, int y1, int x2, int y2, int colour) const
{
    GraphX* g = self();
    const int dx = std::abs(x2 - x1);
    const int dy = std::abs(y2 - y1);
    if (dx > dy) {
        if (x2 < x1) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const int step = y2 >= y1 ? 1 : -1;
        int e = dx;
        int y = y1;
        for (int x = x1; x <= x2; ++x) {
            e -= 2 * dy;
            g->setPixel(x, y, colour);
            if (e <= 0) {
                y += step;
                e += 2 * dx;
            }
        }
    } else {
        if (y2 < y1) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const int step = x2 >= x1 ? 1 : -1;
        int e = dy;
        int x = x1;
        for (int y = y1; y <= y2; ++y) {
            e -= 2 * dx;
            g->setPixel(x, y, colour);
            if (e <= 0) {
                x += step;
                e += 2 * dy;
            }
        }
    }
}

void GraphX::rect(int x, int y, int w, int h, int colour) const
{
    if (w >= 1) {
        lineH(x, x + w, y, colour);
        lineH(x, x + w, y + h - 1, colour);
    }
    lineV(y + 1, y + h, x, colour);
    lineV(y + 1, y + h - 1, x + w - 1, colour);
}

void GraphX::fillRect(int x, int y, int w, int h, int colour) const
{
    if (h < 1 || w < 1)
        return;
    for (int row = y + h - 1; row >= y; --row)
        lineH(x, x + w, row, colour);
}

void GraphX::circle(int cx, int cy, int r, int colour) const
{
    GraphX* g = self();
    int x = r, y = 0, d = r;
    int used;
    do {
        if (d < 0) {
            d += 2 * x - 2;
            x -= 1;
        }
        g->setPixel(cx + y, cy - x, colour);
        g->setPixel(cx - y, cy - x, colour);
        g->setPixel(cx + y, cy + x, colour);
        g->setPixel(cx - y, cy + x, colour);
        g->setPixel(cx + x, cy - y, colour);
        g->setPixel(cx - x, cy - y, colour);
        g->setPixel(cx + x, cy + y, colour);
        g->setPixel(cx - x, cy + y, colour);
        d -= 2 * y + 1;
        used = y;
        y += 1;
    } while (x > used);
}

void GraphX::fillCircle(int cx, int cy, int r, int colour) const
{
    int x = r, y = 0, d = r;
    int used;
    do {
        if (d < 0) {
            d += 2 * x - 2;
            x -= 1;
        }
        if (x > 0) {
            run(cx - x, 2 * x, cy - y, colour);
            run(cx - x, 2 * x, cy + y, colour);
        }
        if (y > 0) {
            run(cx - y, 2 * y, cy - x, colour);
            run(cx - y, 2 * y, cy + x, colour);
        }
        d -= 2 * y + 2;
        used = y;
        y += 1;
    } while (x > used);
}

namespace {

struct EllipseSteps
{
    long long k;
    int operator()(int v) const { return int((k * v) >> 16); }
};

EllipseSteps ratio(int shorter, int longer)
{
    return EllipseSteps{longer == 0 ? 0 : (static_cast<long long>(shorter) * 65536) / longer};
}

} // namespace

void GraphX::ellipse(int cx, int cy, int rx, int ry, int colour) const
{
    GraphX* g = self();
    const bool tall = rx <= ry;
    const EllipseSteps s = tall ? ratio(rx, ry) : ratio(ry, rx);
    int x = tall ? ry : rx, y = 0, d = x;
    int used;
    do {
        if (d < 0) {
            d += 2 * x - 2;
            x -= 1;
        }
        if (tall) {
            g->setPixel(cx + s(y), cy - x, colour);
            g->setPixel(cx - s(y), cy - x, colour);
            g->setPixel(cx + s(y), cy + x, colour);
            g->setPixel(cx - s(y), cy + x, colour);
            g->setPixel(cx + s(x), cy - y, colour);
            g->setPixel(cx - s(x), cy - y, colour);
            g->setPixel(cx + s(x), cy + y, colour);
            g->setPixel(cx - s(x), cy + y, colour);
        } else {
            g->setPixel(cx + y, cy - s(x), colour);
            g->setPixel(cx - y, cy - s(x), colour);
            g->setPixel(cx + y, cy + s(x), colour);
            g->setPixel(cx - y, cy + s(x), colour);
            g->setPixel(cx + x, cy - s(y), colour);
            g->setPixel(cx - x, cy - s(y), colour);
            g->setPixel(cx + x, cy + s(y), colour);
            g->setPixel(cx - x, cy + s(y), colour);
        }
        d -= 2 * y + 1;
        used = y;
        y += 1;
    } while (used < x);
}

void GraphX::fillEllipse(int cx, int cy, int rx, int ry, int colour) const
{
    const bool tall = rx <= ry;
    const EllipseSteps s = tall ? ratio(rx, ry) : ratio(ry, rx);
    int x = tall ? ry : rx, y = 0, d = x;
    int used;
    do {
        if (d < 0) {
            d += 2 * x - 2;
            x -= 1;
        }
        if (tall) {
            if (s(y) > 0) {
                run(cx - s(y), 2 * s(y), cy - x, colour);
                run(cx - s(y), 2 * s(y), cy + x, colour);
            }
            if (s(x) > 0) {
                run(cx - s(x), 2 * s(x), cy - y, colour);
                run(cx - s(x), 2 * s(x), cy + y, colour);
            }
        } else {
            if (y > 0) {
                run(cx - y, 2 * y, cy - s(x), colour);
                run(cx - y, 2 * y, cy + s(x), colour);
            }
            if (x > 0) {
                run(cx - x, 2 * x, cy - s(y), colour);
                run(cx - x, 2 * x, cy + s(y), colour);
            }
        }
        d -= 2 * y + 1;
        used = y;
        y += 1;
    } while (used < x);
}

void GraphX::fill(int x, int y, int colour) const { lineFill(x, y, 1, x, x, colour); }

int GraphX::lineFill(int x, int y, int direction, int parentLeft, int parentRight, int colour) const
{
    GraphX* g = self();
    const unsigned int old = g->getPixel(x, y);
    if (static_cast<unsigned int>(colour) == old)
        return x;

    // One frame per run, visited in the order of the recursive scan-line fill.
    struct Frame
    {
        int y, direction, parentLeft, parentRight, left, right, stage, xx;
    };
    auto matches = [&](int px, int py) { return contains(px, py) && g->getPixel(px, py) == old; };
    auto open = [&](int sx, int sy, int dir, int pl, int pr) {
        int left = sx, right = sx;
        while (matches(left - 1, sy))
            --left;
        while (matches(right + 1, sy))
            ++right;
        for (int i = left; i <= right; ++i)
            g->setPixel(i, sy, colour);
        // A colour the target cannot hold leaves the run unchanged; going on would never end.
        const int stage = g->getPixel(sx, sy) == old ? 3 : 0;
        return Frame{sy, dir, pl, pr, left, right, stage, left};
    };

    std::vector<Frame> stack;
    stack.push_back(open(x, y, direction, parentLeft, parentRight));
    int result = x;
    bool returned = false;
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (returned) {
            f.xx = result + 1;
            returned = false;
        }
        for (;;) {
            if (f.stage == 0) {
                if (f.xx > f.right) {
                    f.stage = 1;
                    f.xx = f.left;
                    continue;
                }
                const int row = f.y + f.direction;
                if (matches(f.xx, row)) {
                    const Frame child = open(f.xx, row, f.direction, f.left, f.right);
                    stack.push_back(child);
                    break;
                }
                ++f.xx;
            } else if (f.stage == 1 || f.stage == 2) {
                if (f.stage == 1 && f.xx >= f.parentLeft) {
                    f.stage = 2;
                    f.xx = f.parentRight;
                    continue;
                }
                if (f.stage == 2 && f.xx > f.right) {
                    f.stage = 3;
                    continue;
                }
                const int row = f.y - f.direction;
                if (matches(f.xx, row)) {
                    const Frame child = open(f.xx, row, -f.direction, f.left, f.right);
                    stack.push_back(child);
                    break;
                }
                ++f.xx;
            } else {
                result = f.right;
                returned = true;
                stack.pop_back();
                break;
            }
        }
    }
    return result;
}

} // namespace MGraphX
