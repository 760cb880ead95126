#pragma once
// A fade editor with "+" and "-" buttons that step its length by one second.

#include <QPair>
#include <QWidget>

class Fade;
class QPushButton;

class FadeWidget : public QWidget
{
    Q_OBJECT

public:
    // Holds a fade-in editor when fadeIn is true, else a fade-out editor.
    explicit FadeWidget(bool fadeIn, QWidget* parent = nullptr);

    void setRange(const QPair<int, int>& range);
    float value() const;
    void setValue(const float& value);
    Fade* editor() const { return m_pFade; }

public slots:
    void slotInc();
    void slotDec();

private:
    Fade* m_pFade = nullptr;
    QPushButton* m_pbtnInc = nullptr;
    QPushButton* m_pbtnDec = nullptr;
};
