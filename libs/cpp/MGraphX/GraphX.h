#pragma once
// Raster primitives (lines, rectangles, circles, ellipses, flood fill) drawn through two virtual pixel operations.

namespace MGraphX {

class GraphX
{
public:
    GraphX() = default;
    virtual ~GraphX() = default;

    virtual void setPixel(int x, int y, int colour) = 0;
    virtual unsigned int getPixel(int x, int y) = 0;

    // Pixels x1 .. x2 - 1 of row y.
    void lineH(int x1, int x2, int y, int colour) const;
    // Pixels y1 .. y2 - 1 of column x.
    void lineV(int y1, int y2, int x, int colour) const;
    void line(int x1, int y1, int x2, int y2, int colour) const;
    void rect(int x, int y, int w, int h, int colour) const;
    // Rows are written bottom first.
    void fillRect(int x, int y, int w, int h, int colour) const;
    void circle(int cx, int cy, int r, int colour) const;
    void fillCircle(int cx, int cy, int r, int colour) const;
    void ellipse(int cx, int cy, int rx, int ry, int colour) const;
    void fillEllipse(int cx, int cy, int rx, int ry, int colour) const;
    // Flood fill of the area of the seed's colour.
    void fill(int x, int y, int colour) const;
    // Scan-line fill of the run through (x, y); returns the run's right end.
    int lineFill(int x, int y, int direction, int parentLeft, int parentRight, int colour) const;

    static int sm_nWidth;
    static int sm_nHeight;
    static signed char sm_nMode;

protected:
    // False for points the fill must not scan into; subclasses with a size bound it here.
    virtual bool contains(int x, int y) const;

private:
    void run(int x0, int n, int y, int colour) const;
    GraphX* self() const { return const_cast<GraphX*>(this); }
};

} // namespace MGraphX
