#pragma once
// Progress holder (0 to 100 per cent) handed to long image operations; subclasses draw it.

namespace MGraphX {

class ProgressLine
{
public:
    // The five parameters are kept for the drawing hooks of subclasses.
    ProgressLine(const int& a, const int& b, const int& c, const int& d, const int& e);
    virtual ~ProgressLine() = default;

    virtual void draw() const {}
    virtual void hide() const {}

    // Raises the percentage to value (never lowers it); negative values are ignored.
    void progress(const int& value);
    // Adds delta (negative deltas are ignored), clamped to 100.
    void progressRel(const int& delta);
    int percent() const { return m_nProgress; }

protected:
    int m_nProgress = 0;
    int m_nA, m_nB, m_nC, m_nD, m_nE;
};

} // namespace MGraphX
