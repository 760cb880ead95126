#include "TestMain.h"

#include <MTools/MFft.h>
#include <MTools/Math.h>

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace {

using Signal = std::vector<std::complex<long double>>;

// Direct DFT in long double: sign -1 forward (scaled by 1/n), +1 inverse (unscaled).
Signal directDft(const Signal& input, int nSign)
{
    const size_t n = input.size();
    Signal output(n);
    const long double pi = 3.141592653589793238462643383279502884L;
    for (size_t k = 0; k < n; ++k) {
        std::complex<long double> sum = 0;
        for (size_t m = 0; m < n; ++m) {
            const long double angle = nSign * 2.0L * pi * static_cast<long double>((k * m) % n) / n;
            sum += input[m] * std::complex<long double>(std::cos(angle), std::sin(angle));
        }
        output[k] = nSign < 0 ? sum / static_cast<long double>(n) : sum;
    }
    return output;
}

Signal randomSignal(int n, quint32 uSeed)
{
    QRandomGenerator rng(uSeed);
    Signal signal(static_cast<size_t>(n));
    for (auto& value : signal)
        value = {rng.generateDouble() * 2 - 1, rng.generateDouble() * 2 - 1};
    return signal;
}

long double maxError(const Signal& expected, const std::vector<float>& re, const std::vector<float>& im)
{
    long double fWorst = 0;
    for (size_t k = 0; k < expected.size(); ++k)
        fWorst = std::max(fWorst, std::abs(expected[k] - std::complex<long double>(re[k], im[k])));
    return fWorst;
}

void split(const Signal& signal, std::vector<float>& re, std::vector<float>& im)
{
    re.clear();
    im.clear();
    for (const auto& value : signal) {
        re.push_back(float(value.real()));
        im.push_back(float(value.imag()));
    }
}

float square(float x) { return x * x; }

} // namespace

class TestFft : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { MTools::Math::setPrecision(1e-10f); }

    void tablesAndSmallFunctions()
    {
        QVERIFY(std::fabs(MTools::Math::sin(90) - 1.0f) < 1e-6f);
        QCOMPARE(MTools::Math::cos(450), MTools::Math::cos(90));
        QCOMPARE(MTools::Math::rad(180), 3.1415927f);
        for (int d = 0; d < 360; d += 7) {
            const double r = d * M_PI / 180.0;
            QVERIFY2(std::fabs(MTools::Math::sin(d) - std::sin(r)) < 2e-6, qPrintable(QString::number(d)));
            QVERIFY2(std::fabs(MTools::Math::cos(d) - std::cos(r)) < 2e-6, qPrintable(QString::number(d)));
        }
        QVERIFY(std::fabs(MTools::Math::tan(45) - 1.0f) < 1e-5f);
        QCOMPARE(MTools::Math::sin(-90), MTools::Math::sin(270));

        QCOMPARE(MTools::Math::powInt(2, 10), 1024.0f);
        QCOMPARE(MTools::Math::powInt(2, 0), 1.0f);
        QCOMPARE(MTools::Math::powInt(2, -3), 1.0f);
        QCOMPARE(MTools::Math::factorial(5), 120ul);
        QCOMPARE(MTools::Math::factorial(0), 1ul);
        QCOMPARE(MTools::Math::factorialf(6), 720.0f);
        QCOMPARE(MTools::Math::floor(-1.5f), -1.0f);
        QCOMPARE(MTools::Math::floor(2.7f), 2.0f);
        QCOMPARE(MTools::Math::abs(-3.5f), 3.5f);
        QCOMPARE(MTools::Math::maximum(1, 2), 2.0f);
        QCOMPARE(MTools::Math::minimum(1, 2), 1.0f);
        QVERIFY(std::fabs(MTools::Math::sqrt(2) - 1.4142135f) < 2e-7f);
        QCOMPARE(MTools::Math::sinRad(1e-12f), 1e-12f);
        // x^2 over [0, 1] by the left sum with 50 steps: (49 * 50 * 99 / 6) / 50^3.
        QVERIFY(std::fabs(MTools::Math::integral(0, 1, square) - 0.3234f) < 1e-3f);

        MTools::Math::setPrecision(1.0f);
        QCOMPARE(MTools::Math::sinRad(0.5f), 0.5f);
        QCOMPARE(MTools::Math::sinRad(2.0f), 0.0f);
        QCOMPARE(MTools::Math::cosRad(0.5f), 1.0f);
        QCOMPARE(MTools::Math::acotRad(0.5f), 1.5707964f);
        QCOMPARE(MTools::Math::integral(0, 1, square), 0.0f);
        MTools::Math::setPrecision(1e-10f);
        const MTools::Math later(0.5f); // only the first object sets the precision
        QVERIFY(std::fabs(MTools::Math::sinRad(0.5f) - std::sin(0.5)) < 1e-7);
    }

    // The series functions against the C library.
    void seriesAgainstLibm_data()
    {
        QTest::addColumn<double>("x");
        for (double x :
             {1e-25, 3e-9, -20.0, -3.0, -1.0, -0.99, -0.3, 0.001, 0.25, 0.5, 0.999, 1.0, 1.7, 2.5, 7.0, 40.0})
            QTest::newRow(qPrintable(QString::number(x))) << x;
    }

    void seriesAgainstLibm()
    {
        QFETCH(double, x);
        const float f = float(x);
        const auto near = [](double fGot, double fWant, double fRel) {
            return std::fabs(fGot - fWant) <= fRel * std::max(1.0, std::fabs(fWant));
        };
        QVERIFY2(near(MTools::Math::sinRad(f), std::sin(double(f)), 2e-6), "sinRad");
        QVERIFY2(near(MTools::Math::cosRad(f), std::cos(double(f)), 2e-6), "cosRad");
        QVERIFY2(near(MTools::Math::secRad(f), 1.0 / std::cos(double(f)), 1e-4), "secRad");
        QVERIFY2(near(MTools::Math::atanRad(f), std::atan(double(f)), 2e-6), "atanRad");
        QVERIFY2(near(MTools::Math::acotRad(f), M_PI / 2 - std::atan(double(f)), 2e-6), "acotRad");
        QVERIFY2(near(MTools::Math::exp(f), std::exp(double(f)), 2e-5), "exp");
        if (std::fabs(x) <= 1.0)
            QVERIFY2(near(MTools::Math::acosRad(f), std::acos(double(f)), 2e-6), "acosRad");
        else
            QVERIFY(std::isnan(MTools::Math::acosRad(f)));
        if (x > 0) {
            QVERIFY2(near(MTools::Math::ln(f), std::log(double(f)), 2e-6), "ln");
            QVERIFY2(near(MTools::Math::sqrt(f), std::sqrt(double(f)), 2e-7), "sqrt");
            QVERIFY2(near(MTools::Math::pow(f, 1.5f), std::pow(double(f), 1.5), 2e-5), "pow");
            QVERIFY2(near(MTools::Math::pow(f, -0.5f), std::pow(double(f), -0.5), 2e-5), "pow");
        } else {
            QVERIFY(std::isnan(MTools::Math::ln(f)));
            QVERIFY(std::isnan(MTools::Math::sqrt(f)));
        }
    }

    void fftSmallVectors()
    {
        float re[4] = {1, 0, 0, 0};
        float im[4] = {0, 0, 0, 0};
        MTools::Math::fft(4, re, im);
        for (int k = 0; k < 4; ++k) {
            QVERIFY(std::fabs(re[k] - 0.25f) < 1e-7f);
            QVERIFY(std::fabs(im[k]) < 1e-7f);
        }
        MTools::Math::ifft(4, re, im);
        QVERIFY(std::fabs(re[0] - 1) < 1e-6f);
        for (int k = 1; k < 4; ++k)
            QVERIFY(std::fabs(re[k]) < 1e-6f && std::fabs(im[k]) < 1e-6f);

        float single[1] = {3};
        float singleIm[1] = {-2};
        MTools::Math::fft(1, single, singleIm);
        QCOMPARE(single[0], 3.0f);
        QCOMPARE(singleIm[0], -2.0f);

        float odd[3] = {1, 2, 3};
        float oddIm[3] = {0, 0, 0};
        MTools::Math::fft(3, odd, oddIm); // not a power of two: left as it is
        QCOMPARE(odd[2], 3.0f);
    }

    void transformsAgainstDirectDft_data()
    {
        QTest::addColumn<int>("nLog2n");
        for (int nLog2n : {0, 1, 2, 3, 5, 8, 10})
            QTest::newRow(qPrintable(QString::number(nLog2n))) << nLog2n;
    }

    void transformsAgainstDirectDft()
    {
        QFETCH(int, nLog2n);
        const int n = 1 << nLog2n;
        const Signal input = randomSignal(n, quint32(n) + 11u);
        const Signal forward = directDft(input, -1);
        const Signal inverse = directDft(input, +1);
        const long double fTolerance = 2e-6L * (nLog2n + 1);

        std::vector<float> re, im;
        split(input, re, im);
        MTools::Math::fft(n, re.data(), im.data());
        QVERIFY2(maxError(forward, re, im) < fTolerance, "Math::fft");

        split(input, re, im);
        MTools::Math::ifft(n, re.data(), im.data());
        QVERIFY2(maxError(inverse, re, im) < fTolerance * n, "Math::ifft");

        const auto pFft = std::make_unique<MTools::MFft>(nLog2n);
        split(input, re, im);
        pFft->apply(re.data(), im.data(), false);
        QVERIFY2(maxError(forward, re, im) < fTolerance, "MFft forward");
        pFft->apply(re.data(), im.data(), true);
        QVERIFY2(maxError(input, re, im) < fTolerance * 4, "MFft round trip");

        split(input, re, im);
        pFft->apply(re.data(), im.data(), true);
        QVERIFY2(maxError(inverse, re, im) < fTolerance * n, "MFft inverse");
    }

    void fftOutOfRangeExponent()
    {
        const auto pFft = std::make_unique<MTools::MFft>(31);
        float re[2] = {1, 2};
        float im[2] = {0, 0};
        pFft->apply(re, im, false);
        QCOMPARE(re[1], 2.0f);
    }
};

TRELVANIC_TEST_MAIN(TestFft)
#include "tst_fft.moc"
