#include "TestMain.h"

#include <MGraphX/GraphX.h>
#include <MGraphX/ImageProcess.h>

#include <QMap>
#include <QPoint>
#include <QVector>
#include <QtTest>

using namespace MGraphX;

namespace {

// Unbounded canvas that records every write in order.
class Recorder : public GraphX
{
public:
    void setPixel(int x, int y, int colour) override
    {
        writes.append(QPoint(x, y));
        pixels[qMakePair(x, y)] = colour;
    }
    unsigned int getPixel(int x, int y) override { return unsigned(pixels.value(qMakePair(x, y), 0)); }

    QVector<QPoint> writes;
    QMap<QPair<int, int>, int> pixels;
};

QVector<QPoint> points(std::initializer_list<std::pair<int, int>> list)
{
    QVector<QPoint> out;
    for (const auto& p : list)
        out.append(QPoint(p.first, p.second));
    return out;
}

// Draws a picture given as rows of '#' (1) and '.' (0) into a 1-bit buffer.
ImageProcess* fromRows(const QStringList& rows)
{
    auto* image = new ImageProcess(1, rows.first().size(), rows.size(), 0);
    for (int y = 0; y < rows.size(); ++y)
        for (int x = 0; x < rows[y].size(); ++x)
            image->setPixel(x, y, rows[y][x] == '#' ? 1 : 0);
    return image;
}

QStringList toRows(ImageProcess& image, int colour)
{
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x)
            row += int(image.getPixel(x, y)) == colour ? '#' : '.';
        rows << row;
    }
    return rows;
}

} // namespace

class TestGraphX : public QObject
{
    Q_OBJECT

private slots:
    void testLines()
    {
        Recorder r;
        r.lineH(5, 5, 0, 1);
        r.lineV(3, 1, 0, 1);
        QVERIFY(r.writes.isEmpty());
        r.lineH(0, 3, 0, 1);
        QCOMPARE(r.writes, points({{0, 0}, {1, 0}, {2, 0}}));

        Recorder h;
        h.line(3, 0, 0, 0, 1);
        QCOMPARE(h.writes, points({{0, 0}, {1, 0}, {2, 0}, {3, 0}}));

        // dx == dy is y-major: starts at the smaller y.
        Recorder d;
        d.line(2, 2, 0, 0, 1);
        QCOMPARE(d.writes, points({{0, 0}, {1, 1}, {2, 2}}));

        // x-major with a slope of 1/2, stepping y when the error term drops to 0.
        Recorder s;
        s.line(0, 0, 4, 2, 1);
        QCOMPARE(s.writes, points({{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));

        // y-major going left.
        Recorder v;
        v.line(1, 0, 0, 3, 1);
        QCOMPARE(v.writes, points({{1, 0}, {1, 1}, {0, 2}, {0, 3}}));
    }

    void testRectangles()
    {
        Recorder r;
        r.rect(0, 0, 3, 3, 1);
        QCOMPARE(r.writes, points({{0, 0}, {1, 0}, {2, 0}, {0, 2}, {1, 2}, {2, 2}, {0, 1}, {0, 2}, {2, 1}}));

        Recorder f;
        f.fillRect(1, 1, 2, 0, 1);
        QVERIFY(f.writes.isEmpty());
        f.fillRect(1, 1, 2, 2, 1);
        QCOMPARE(f.writes, points({{1, 2}, {2, 2}, {1, 1}, {2, 1}}));
    }

    void testCircles()
    {
        Recorder c;
        c.circle(0, 0, 1, 1);
        // First step (y = 0): the eight points of (0, 1) and (1, 0).
        QCOMPARE(c.writes.mid(0, 8), points({{0, -1}, {0, -1}, {0, 1}, {0, 1}, {1, 0}, {-1, 0}, {1, 0}, {-1, 0}}));

        // Radius 5: every outline point lies within half a pixel of the circle and all 8 octants are symmetric.
        Recorder big;
        big.circle(10, 10, 5, 1);
        for (const QPoint& p : big.writes) {
            const double dist = std::hypot(p.x() - 10, p.y() - 10);
            QVERIFY2(std::abs(dist - 5) < 0.75, qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
            QVERIFY(big.pixels.contains(qMakePair(20 - p.x(), p.y())));
            QVERIFY(big.pixels.contains(qMakePair(p.y(), p.x())));
        }

        Recorder f;
        f.fillCircle(0, 0, 1, 1);
        // First step: x = 1, y = 0: run of 2 from -1 on row 0, twice.
        QCOMPARE(f.writes.mid(0, 4), points({{-1, 0}, {0, 0}, {-1, 0}, {0, 0}}));
    }

    void testEllipses()
    {
        // Equal radii draw the circle.
        Recorder e, c;
        e.ellipse(0, 0, 6, 6, 1);
        c.circle(0, 0, 6, 1);
        QCOMPARE(e.writes, c.writes);

        // A zero axis collapses the ellipse to a line on the longer axis.
        Recorder flat;
        flat.ellipse(0, 0, 0, 4, 1);
        for (const QPoint& p : flat.writes)
            QCOMPARE(p.x(), 0);
        QVERIFY(flat.pixels.contains(qMakePair(0, 4)) && flat.pixels.contains(qMakePair(0, -4)));
        Recorder wide;
        wide.ellipse(0, 0, 4, 0, 1);
        for (const QPoint& p : wide.writes)
            QCOMPARE(p.y(), 0);

        // Both radii zero: no division by zero, the centre only.
        Recorder dot;
        dot.ellipse(3, 3, 0, 0, 1);
        dot.fillEllipse(3, 3, 0, 0, 1);
        for (const QPoint& p : dot.writes)
            QCOMPARE(p, QPoint(3, 3));

        // A filled 8 x 4 ellipse: runs end one pixel left of the right edge.
        ImageProcess image(8, 40, 40, 0);
        image.fillEllipse(20, 20, 8, 4, 1);
        int top = 40, bottom = 0, left = 40, right = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                if (image.getPixel(x, y) == 1) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        QCOMPARE(left, 12);
        QCOMPARE(right, 27);
        QCOMPARE(top, 16);
        QCOMPARE(bottom, 24);
    }

    void testFill()
    {
        // A one-pixel hole.
        QScopedPointer<ImageProcess> one(fromRows({"###", "#.#", "###"}));
        one->fill(1, 1, 1);
        QCOMPARE(toRows(*one, 1), QStringList({"###", "###", "###"}));

        // The seed colour again changes nothing.
        Recorder same;
        same.pixels[qMakePair(0, 0)] = 7;
        QCOMPARE(same.lineFill(0, 0, 1, 0, 0, 7), 0);
        QVERIFY(same.writes.isEmpty());

        // An opening above the right end of the seed's run is filled too.
        QScopedPointer<ImageProcess> notch(fromRows({"####.#", "#....#", "######"}));
        notch->fill(1, 1, 1);
        QCOMPARE(toRows(*notch, 1), QStringList({"######", "######", "######"}));

        // Winding corridors, entered in both directions.
        const QStringList maze = {
            "##########", "#.......##", "#.#####..#", "#.#...#.##", "#.#.#.#..#",
            "#...#....#", "######.###", "#....#.#.#", "##########",
        };
        QScopedPointer<ImageProcess> area(fromRows(maze));
        area->fill(1, 5, 1);
        QStringList expected;
        for (int i = 0; i < 9; ++i)
            expected << "##########";
        expected[7] = "#....###.#";
        QCOMPARE(toRows(*area, 1), expected);

        // An open black area is bounded by the image edges.
        ImageProcess blank(8, 50, 40, 0);
        blank.fill(10, 10, 9);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x)
                QCOMPARE(int(blank.getPixel(x, y)), 9);

        // A colour the 1-bit target cannot hold ends instead of looping.
        ImageProcess bits(1, 4, 4, 1);
        bits.fill(0, 0, 3);
        QCOMPARE(int(bits.getPixel(0, 0)), 1);

        // A large area fills without deep recursion.
        ImageProcess large(8, 600, 600, 0);
        for (int y = 0; y < 600; y += 2)
            large.lineH(y % 4 ? 1 : 0, y % 4 ? 600 : 599, y, 5);
        large.fill(0, 1, 6);
        int filledCount = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 600; ++x)
                filledCount += large.getPixel(x, y) == 6;
        QCOMPARE(filledCount, 300 * 600 + 300);
    }
};

TRELVANIC_TEST_MAIN(TestGraphX)
#include "tst_graphx.moc"
