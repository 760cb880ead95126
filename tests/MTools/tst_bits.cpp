#include "TestMain.h"

#include <MTools/Bits.h>

#include <QRandomGenerator>
#include <QtTest>

#include <iostream>
#include <sstream>

namespace {

// Captures std::cerr for the lifetime of the object.
class CerrCapture
{
public:
    CerrCapture() : m_pOld(std::cerr.rdbuf(m_stream.rdbuf())) {}
    ~CerrCapture() { std::cerr.rdbuf(m_pOld); }
    std::string text() const { return m_stream.str(); }

private:
    std::ostringstream m_stream;
    std::streambuf* m_pOld;
};

MTools::Bits fromValue(int nBits, quint64 uValue)
{
    MTools::Bits bits(nBits);
    for (int i = 0; i < nBits; ++i)
        bits.setBit(unsigned(i), i < 64 ? int((uValue >> i) & 1) : 0);
    return bits;
}

quint64 toValue(const MTools::Bits& bits)
{
    quint64 uValue = 0;
    for (unsigned i = 0; i < bits.bitCount(); ++i)
        uValue |= quint64(bits.getBit(i)) << i;
    return uValue;
}

std::string printed(const MTools::Bits& bits)
{
    std::ostringstream os;
    bits.printOn(os);
    return os.str();
}

quint64 mask(int nBits) { return nBits >= 64 ? ~quint64(0) : (quint64(1) << nBits) - 1; }

} // namespace

class TestBits : public QObject
{
    Q_OBJECT

private slots:
    void sizesAndCodes()
    {
        QCOMPARE(MTools::Bits(10).byteCount(), 2);
        QCOMPARE(MTools::Bits(8).byteCount(), 1);
        QCOMPARE(MTools::Bits(0).byteCount(), 0);

        MTools::Bits bits(32);
        bits.setCode(5u);
        QCOMPARE(bits.getBit(0), 1u);
        QCOMPARE(bits.getBit(1), 0u);
        QCOMPARE(bits.getBit(2), 1u);
        QCOMPARE(bits.getCode(3), 5u);
        QCOMPARE(printed(bits), std::string(29, '0') + "101");
        QCOMPARE(int(bits), 5);
        QCOMPARE(bits.getBit(32), 0xFFFFFFFFu);

        bits.setCode(0x80000001u);
        QCOMPARE(int(bits), int(0x80000001u));
        QCOMPARE(bits.getCode(32), 0x80000001u);

        const char raw[] = {'\x34', '\x12'};
        MTools::Bits sixteen(16);
        sixteen.setCode(raw);
        QCOMPARE(sixteen.getCode(16), 0x1234u);
    }

    void errorsReported()
    {
        MTools::Bits bits = fromValue(8, 0xA5);
        {
            CerrCapture capture;
            bits.setBit(8, 1);
            QCOMPARE(capture.text(), std::string("Bits::setBit(int,int) Position is out of range\n"));
        }
        QCOMPARE(toValue(bits), quint64(0xA5));
        for (unsigned n : {0u, 9u, 40u}) {
            CerrCapture capture;
            QCOMPARE(bits.getCode(n), 0u);
            QCOMPARE(capture.text(), std::string("Bits::getCode(int) Out Of Range\n"));
        }
        MTools::Bits wide(40);
        wide.setCode(0xFFFFFFFFu);
        wide.setBit(39, 1);
        QCOMPARE(wide.getCode(39), 0xFFFFFFFFu);
    }

    void rotationsAndShifts()
    {
        MTools::Bits four(4);
        four.setBit(0, 1);
        QCOMPARE(four.ror(1), 1);
        QCOMPARE(toValue(four), quint64(0b1000));
        QCOMPARE(four.rol(1), 1);
        QCOMPARE(toValue(four), quint64(0b0001));
        QCOMPARE(four.ror(0), 0);
        QCOMPARE(four.shr(1), 1);
        QCOMPARE(toValue(four), quint64(0));

        MTools::Bits empty(0);
        QCOMPARE(empty.ror(3), 0);
        QCOMPARE(empty.shl(3), 0);
    }

    // Compares each operation with the same operation done one step at a time on a 64-bit integer.
    void againstIntegerModel_data()
    {
        QTest::addColumn<int>("nBits");
        for (int nBits : {1, 3, 7, 8, 13, 32, 33, 64})
            QTest::newRow(qPrintable(QString::number(nBits))) << nBits;
    }

    void againstIntegerModel()
    {
        QFETCH(int, nBits);
        QRandomGenerator rng(quint32(nBits) * 977u);
        for (int nRound = 0; nRound < 40; ++nRound) {
            const quint64 uValue = rng.generate64() & mask(nBits);
            const unsigned n = rng.bounded(quint32(nBits) * 3 + 2);

            quint64 uRor = uValue, uRol = uValue, uShr = uValue, uShl = uValue;
            int nRor = 0, nRol = 0, nShr = 0, nShl = 0;
            for (unsigned k = 0; k < n; ++k) {
                nRor = int(uRor & 1);
                uRor = (uRor >> 1) | (quint64(nRor) << (nBits - 1));
                nRol = int((uRol >> (nBits - 1)) & 1);
                uRol = ((uRol << 1) & mask(nBits)) | quint64(nRol);
                nShr = int(uShr & 1);
                uShr >>= 1;
                nShl = int((uShl >> (nBits - 1)) & 1);
                uShl = (uShl << 1) & mask(nBits);
            }
            MTools::Bits a = fromValue(nBits, uValue), b = a, c = a, d = a;
            QCOMPARE(a.ror(n), nRor);
            QCOMPARE(toValue(a), uRor);
            QCOMPARE(b.rol(n), nRol);
            QCOMPARE(toValue(b), uRol);
            QCOMPARE(c.shr(n), nShr);
            QCOMPARE(toValue(c), uShr);
            QCOMPARE(d.shl(n), nShl);
            QCOMPARE(toValue(d), uShl);

            const int nOther = int(rng.bounded(quint32(nBits) + 5));
            const quint64 uOther = rng.generate64() & mask(nOther);
            const quint64 uOtherMask = mask(nOther);
            MTools::Bits x = fromValue(nBits, uValue), o = x, an = x;
            const MTools::Bits other = fromValue(nOther, uOther);
            x.xorOp(other);
            o.orOp(other);
            an.andOp(other);
            QCOMPARE(toValue(x), (uValue ^ uOther) & mask(nBits));
            QCOMPARE(toValue(o), (uValue | uOther) & mask(nBits));
            QCOMPARE(toValue(an), uValue & uOther & uOtherMask);

            std::string expected;
            for (int i = nBits - 1; i >= 0; --i)
                expected += ((uValue >> i) & 1) ? '1' : '0';
            QCOMPARE(printed(fromValue(nBits, uValue)), expected);
        }
    }

    void deleteConcatenateNegate()
    {
        MTools::Bits bits = fromValue(8, 0b10110100);
        bits.del(2);
        QCOMPARE(bits.bitCount(), 6u);
        QCOMPARE(toValue(bits), quint64(0b101101));
        bits.del(100);
        QCOMPARE(bits.bitCount(), 0u);

        MTools::Bits low = fromValue(3, 0b101);
        low.cat(fromValue(5, 0b11001));
        QCOMPARE(low.bitCount(), 8u);
        QCOMPARE(toValue(low), quint64(0b11001101));
        low.cat(low);
        QCOMPARE(toValue(low), quint64(0b1100110111001101));

        MTools::Bits ten = fromValue(10, 0b1100000011);
        ten.negOp();
        QCOMPARE(toValue(ten), quint64(0b0011111100));
        QCOMPARE(int(ten), int(0xFCFC)); // padding bits are inverted as well

        MTools::Bits copy(4);
        copy = ten;
        QCOMPARE(copy.bitCount(), 10u);
        QCOMPARE(toValue(copy), quint64(0b0011111100));
        QCOMPARE(int(MTools::Bits(8)), 0);
    }

    void printToStandardOutput()
    {
        std::ostringstream captured;
        std::streambuf* pOld = std::cout.rdbuf(captured.rdbuf());
        fromValue(5, 0b00011).print();
        std::cout.rdbuf(pOld);
        QCOMPARE(captured.str(), std::string("11000\n"));
    }
};

TRELVANIC_TEST_MAIN(TestBits)
#include "tst_bits.moc"
