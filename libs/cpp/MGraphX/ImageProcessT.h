#pragma once
// Image held as separate colour planes with optional palettes; the raster primitives draw into it.

#include <MGraphX/GraphX.h>
#include <MGraphX/ProgressLine.h>

#include <QImage>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

namespace MGraphX {

template <typename T> class ImageProcessT : public GraphX
{
public:
    enum Flag : unsigned char { FlagCopied = 1, FlagGray = 2 };

    // Loads the picture at path; a file that does not load gives a 0 x 0 buffer.
    explicit ImageProcessT(const QString& path, ProgressLine* progress = nullptr)
    {
        Q_UNUSED(progress);
        fromImage(QImage(path));
    }

    // Planes from the picture, which is kept (as Format_RGB32) for the alpha of toImage().
    explicit ImageProcessT(const QImage& image, ProgressLine* progress = nullptr)
    {
        Q_UNUSED(progress);
        m_imgKept = fromImage(image);
    }

    // Depth 8: red plane and identity palettes; depth 1: red plane of 0/255; otherwise three planes.
    ImageProcessT(const int& depth, const int& width, const int& height, const int& colour,
                  ProgressLine* progress = nullptr)
        : m_nWidth(std::max(width, 0)), m_nHeight(std::max(height, 0)),
          m_nByteSize(int(static_cast<long long>(depth) * m_nWidth * m_nHeight / 8)),
          m_nDepth(static_cast<unsigned char>(depth))
    {
        Q_UNUSED(progress);
        if (m_nDepth == 8) {
            if constexpr (std::is_same_v<T, unsigned char>)
                m_pRed = plane(static_cast<T>(colour & 255));
            else
                m_pRed = plane(static_cast<T>(colour));
            m_pRedPal = identity();
            m_pGreenPal = identity();
            m_pBluePal = identity();
        } else if (m_nDepth == 1) {
            m_pRed = plane(oneBit(colour));
        } else {
            m_pRed = plane(static_cast<T>((colour >> 16) & 255));
            m_pGreen = plane(static_cast<T>((colour >> 8) & 255));
            m_pBlue = plane(static_cast<T>(colour & 255));
        }
    }

    ImageProcessT(const ImageProcessT& other, ProgressLine* progress = nullptr)
        : GraphX(), m_nWidth(other.m_nWidth), m_nHeight(other.m_nHeight), m_nByteSize(other.m_nByteSize),
          m_nHookWidth(other.m_nHookWidth), m_nHookHeight(other.m_nHookHeight), m_nHookExtra(other.m_nHookExtra),
          m_nDepth(other.m_nDepth), m_fMaxValue(other.m_fMaxValue), m_nMaxExtra(other.m_nMaxExtra),
          m_nFlags(static_cast<unsigned char>(FlagCopied | (other.m_nFlags & FlagGray))), m_nHigh(other.m_nHigh),
          m_nLow(other.m_nLow)
    {
        Q_UNUSED(progress);
        m_pRed = copyOf(other.m_pRed, count());
        m_pGreen = copyOf(other.m_pGreen, count());
        m_pBlue = copyOf(other.m_pBlue, count());
        m_pAlpha = copyOf(other.m_pAlpha, count());
        m_pRedPal = copyOf(other.m_pRedPal, 256);
        m_pGreenPal = copyOf(other.m_pGreenPal, 256);
        m_pBluePal = copyOf(other.m_pBluePal, 256);
        m_pLut4 = copyOf(other.m_pLut4, 256);
    }

    ImageProcessT& operator=(const ImageProcessT&) = delete;

    ~ImageProcessT() override
    {
        for (T** p : {&m_pRed, &m_pGreen, &m_pBlue, &m_pAlpha}) {
            delete[] * p;
            *p = nullptr;
        }
        for (unsigned char** p : {&m_pRedPal, &m_pGreenPal, &m_pBluePal, &m_pLut4}) {
            delete[] * p;
            *p = nullptr;
        }
    }

    void setPixel(int x, int y, int colour) override
    {
        if (!inside(x, y))
            return;
        const std::size_t i = index(x, y);
        if (m_nDepth == 8) {
            m_pRed[i] = static_cast<T>(sample(colour));
        } else if (m_nDepth == 24) {
            m_pRed[i] = static_cast<T>((colour >> 16) & 255);
            m_pGreen[i] = static_cast<T>((colour >> 8) & 255);
            m_pBlue[i] = static_cast<T>(colour & 255);
        } else if (m_nDepth == 1) {
            m_pRed[i] = oneBit(colour);
        }
        m_nFlags &= static_cast<unsigned char>(~FlagCopied);
    }

    unsigned int getPixel(int x, int y) override
    {
        if (!inside(x, y))
            return 0;
        const std::size_t i = index(x, y);
        if (m_nDepth == 24)
            return (toInt(m_pRed[i]) & 255) << 16 | (toInt(m_pGreen[i]) & 255) << 8 | (toInt(m_pBlue[i]) & 255);
        if (m_nDepth == 1)
            return m_pRed[i] >= 128 ? 1 : 0;
        return toInt(m_pRed[i]);
    }

    virtual int screenWidth() const { return sm_nWidth; }
    virtual int screenHeight() const { return sm_nHeight; }
    virtual int screenMode() const { return sm_nMode; }
    virtual void notifySize()
    {
        const int w = m_nHookWidth, h = m_nHookHeight;
        resized(w, h);
    }
    virtual void resized(const int&, const int&) {}
    virtual void hook1() {}
    virtual void hook2() {}
    virtual void hook3() {}
    virtual void hook4() {}

    // Replaces every sample of the colour planes by table[sample]; a 1-bit image is thresholded after.
    ImageProcessT& applyLut(const unsigned char* table)
    {
        if (!table)
            return *this;
        for (T* p : {m_pRed, m_pGreen, m_pBlue}) {
            if (!p)
                continue;
            for (std::size_t i = 0; i < count(); ++i)
                p[i] = static_cast<T>(table[toInt(p[i]) & 255]);
        }
        m_nFlags &= static_cast<unsigned char>(~FlagCopied);
        threshold();
        return *this;
    }

    // Averages the channels (or the palette entries of an 8-bit image) into a gray image, once.
    ImageProcessT& toGray()
    {
        if (m_nDepth == 1 || (m_nFlags & FlagGray))
            return *this;
        if (m_nDepth == 8) {
            for (std::size_t i = 0; i < count(); ++i) {
                const int s = toInt(m_pRed[i]) & 255;
                m_pRed[i] = static_cast<T>((m_pRedPal[s] + m_pGreenPal[s] + m_pBluePal[s]) / 3);
            }
            for (int k = 0; k < 256; ++k)
                m_pRedPal[k] = m_pGreenPal[k] = m_pBluePal[k] = static_cast<unsigned char>(k);
        } else if (m_pRed && m_pGreen && m_pBlue) {
            for (std::size_t i = 0; i < count(); ++i) {
                const T v = static_cast<T>((toInt(m_pRed[i]) + toInt(m_pGreen[i]) + toInt(m_pBlue[i])) / 3);
                m_pRed[i] = m_pGreen[i] = m_pBlue[i] = v;
            }
        }
        m_nFlags = static_cast<unsigned char>((m_nFlags & ~FlagCopied) | FlagGray);
        return *this;
    }

    // Adds delta to the samples (or to the palettes of a colour 8-bit image), clamped to 0..255.
    ImageProcessT& brightness(const int& delta)
    {
        if (m_nDepth == 8 && !(m_nFlags & FlagGray)) {
            for (unsigned char* pal : {m_pRedPal, m_pGreenPal, m_pBluePal}) {
                unsigned char next[256];
                for (int k = 0; k < 256; ++k)
                    next[k] = static_cast<unsigned char>(clampSample(pal[k] + delta));
                std::memcpy(pal, next, sizeof next);
            }
            return *this;
        }
        for (T* p : {m_pRed, m_pGreen, m_pGreen ? m_pBlue : nullptr}) {
            if (!p)
                continue;
            for (std::size_t i = 0; i < count(); ++i)
                p[i] = static_cast<T>(clampSample(toInt(p[i]) + delta));
        }
        m_nFlags &= static_cast<unsigned char>(~FlagCopied);
        threshold();
        return *this;
    }

    // The pixels as Format_ARGB32, with the alpha of the kept picture (opaque without one).
    QImage toImage()
    {
        QImage rgb(m_nWidth, m_nHeight, QImage::Format_RGB32);
        for (int y = 0; y < m_nHeight; ++y) {
            auto* line = reinterpret_cast<QRgb*>(rgb.scanLine(y));
            for (int x = 0; x < m_nWidth; ++x)
                line[x] = 0xFF000000u | getPixel(x, y);
        }
        QImage result = rgb.convertToFormat(QImage::Format_ARGB32);
        if (m_imgKept.isNull() || result.isNull())
            return result;
        const QImage alpha = m_imgKept.scaled(m_nWidth, m_nHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                 .convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < alpha.height(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(alpha.constScanLine(y));
            auto* to = reinterpret_cast<QRgb*>(result.scanLine(y));
            for (int x = 0; x < alpha.width(); ++x)
                to[x] = (to[x] & 0x00FFFFFFu) | (from[x] & 0xFF000000u);
        }
        return result;
    }

    int width() const { return m_nWidth; }
    int height() const { return m_nHeight; }
    int depth() const { return m_nDepth; }
    int byteSize() const { return m_nByteSize; }
    unsigned char flags() const { return m_nFlags; }
    T* red() const { return m_pRed; }
    T* green() const { return m_pGreen; }
    T* blue() const { return m_pBlue; }
    T* alpha() const { return m_pAlpha; }
    unsigned char* redPalette() const { return m_pRedPal; }
    unsigned char* greenPalette() const { return m_pGreenPal; }
    unsigned char* bluePalette() const { return m_pBluePal; }
    const QImage& keptImage() const { return m_imgKept; }

protected:
    bool contains(int x, int y) const override { return inside(x, y); }

private:
    bool inside(int x, int y) const
    {
        return static_cast<unsigned int>(x) < static_cast<unsigned int>(m_nWidth) &&
               static_cast<unsigned int>(y) < static_cast<unsigned int>(m_nHeight);
    }
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(m_nWidth) + std::size_t(x); }
    std::size_t count() const { return std::size_t(m_nWidth) * std::size_t(m_nHeight); }
    static int toInt(T v) { return static_cast<int>(v); }
    static int sample(int colour) { return colour & 255; }
    static T oneBit(int colour)
    {
        if constexpr (std::is_same_v<T, unsigned char>)
            return static_cast<T>((0u - static_cast<unsigned int>(colour)) & 255u);
        else
            return static_cast<T>(static_cast<long long>(colour) * 255);
    }
    int clampSample(int v) const
    {
        if (v > m_nHigh)
            return m_nHigh & 255;
        if (v < m_nLow)
            return m_nLow & 255;
        return v;
    }
    void threshold()
    {
        if (m_nDepth != 1 || !m_pRed)
            return;
        for (std::size_t i = 0; i < count(); ++i)
            m_pRed[i] = static_cast<T>(toInt(m_pRed[i]) >= 127 ? (m_nHigh & 255) : (m_nLow & 255));
    }
    T* plane(T value) const
    {
        T* p = new T[count()];
        std::fill(p, p + count(), value);
        return p;
    }
    static unsigned char* identity()
    {
        auto* p = new unsigned char[256];
        for (int k = 0; k < 256; ++k)
            p[k] = static_cast<unsigned char>(k);
        return p;
    }
    template <typename U> static U* copyOf(const U* from, std::size_t n)
    {
        if (!from)
            return nullptr;
        U* p = new U[n];
        std::copy(from, from + n, p);
        return p;
    }
    QImage fromImage(const QImage& image)
    {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        m_nWidth = rgb.width();
        m_nHeight = rgb.height();
        m_nDepth = 24;
        m_pRed = new T[count()];
        m_pGreen = new T[count()];
        m_pBlue = new T[count()];
        m_pAlpha = new T[count()];
        for (int y = 0; y < m_nHeight; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < m_nWidth; ++x) {
                const std::size_t i = index(x, y);
                m_pAlpha[i] = static_cast<T>(qAlpha(line[x]));
                m_pRed[i] = static_cast<T>(qRed(line[x]));
                m_pGreen[i] = static_cast<T>(qGreen(line[x]));
                m_pBlue[i] = static_cast<T>(qBlue(line[x]));
            }
        }
        return rgb;
    }

    T* m_pRed = nullptr;
    T* m_pGreen = nullptr;
    T* m_pBlue = nullptr;
    T* m_pAlpha = nullptr;
    unsigned char* m_pRedPal = nullptr;
    unsigned char* m_pGreenPal = nullptr;
    unsigned char* m_pBluePal = nullptr;
    unsigned char* m_pLut4 = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nByteSize = 0;
    int m_nHookWidth = 0;
    int m_nHookHeight = 0;
    int m_nHookExtra = 0;
    unsigned char m_nDepth = 24;
    float m_fMaxValue = 255.0f;
    int m_nMaxExtra = 0;
    unsigned char m_nFlags = 0;
    ProgressLine* m_pProgress = nullptr;
    QImage m_imgKept;
    int m_nHigh = 255;
    int m_nLow = 0;
};

} // namespace MGraphX
