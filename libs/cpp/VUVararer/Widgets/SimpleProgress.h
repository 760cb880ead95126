#pragma once
// A self-painted flat progress bar with a line of text; shows moving stripes while its value is 0.

#include <QFont>
#include <QString>
#include <QWidget>

namespace VUVararer {

class SimpleProgress : public QWidget
{
    Q_OBJECT

public:
    explicit SimpleProgress(QWidget* parent = nullptr);

    int value() const { return m_nValue; }
    // Stores the percentage (not clamped); 0 starts the stripe animation unless it runs already. Repaints.
    void setValue(const int& value);
    QString text() const { return m_strText; }
    // Stores the text; it shows at the next repaint.
    void setText(const QString& text) { m_strText = text; }
    int phase() const { return m_nPhase; }
    // True while the stripe timer runs.
    bool isAnimating() const { return m_nTimerId != 0; }
    // The text as painted: shortened in its middle to the widget's width.
    QString shownText() const;

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void startAnimation();
    QFont textFont() const;

    int m_nValue = 0;
    QString m_strText;
    int m_nPhase = 0;
    int m_nTimerId = 0;
};

} // namespace VUVararer
