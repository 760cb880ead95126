#pragma once
// Exclusive-choice containers: a row or column of checkable buttons, and a compact chooser with a popup list.

#include <QBoxLayout>
#include <QMap>
#include <QPixmap>
#include <QWidget>

class QAbstractButton;
class QPushButton;
class QVBoxLayout;

namespace VUVararer {

// Keeps exactly the clicked one of its buttons checked.
class RadioBox : public QWidget
{
    Q_OBJECT

public:
    explicit RadioBox(QBoxLayout::Direction direction, QWidget* parent = nullptr);

    // Makes the button checkable and lays it out.
    void addButton(QAbstractButton* button);

public slots:
    void slotButtonClicked();

private:
    QBoxLayout* m_pLayout;
};

// The frameless list window of an UltraRadioBox; hides when its window is deactivated.
class UltraRadioBoxPopup : public QWidget
{
    Q_OBJECT

public:
    UltraRadioBoxPopup(QWidget* parent, Qt::WindowFlags flags);

    // True while the mouse is inside.
    bool isInAction() const { return m_bInAction; }

protected:
    bool event(QEvent* event) override;

private:
    bool m_bInAction = false;
};

// Shows a picture of the current button with an arrow; a press toggles a popup that lists the other choices.
// The popup is a child of the box and dies with it.
class UltraRadioBox : public QWidget
{
    Q_OBJECT

public:
    explicit UltraRadioBox(QWidget* parent = nullptr);

    // Adds the button with a text button beside it to the popup; the box takes the button's size.
    void addButton(QAbstractButton* button, const QString& text);
    // Checks the button, hides it and its text button from the popup and shows its picture.
    void setCurrentButton(QAbstractButton* button);
    QAbstractButton* currentButton() const { return m_pCurrentButton; }
    void setVisibleButton(QAbstractButton* button, bool visible);
    // The popup's window opacity, limited to 0 to 1.
    void setOpacity(double value);
    void hidePopup();
    UltraRadioBoxPopup* popup() const { return m_pPopup; }
    // The picture painted at the moment.
    QPixmap picture() const { return m_pixDisplayed; }

public slots:
    void slotButtonClicked();

signals:
    // A choice was made in the popup.
    void buttonClicked();
    // The box was pressed.
    void actionPerformed();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* m_pvblPopup;
    UltraRadioBoxPopup* m_pPopup;
    QPixmap m_pixDisplayed;
    QMap<QAbstractButton*, QPushButton*> m_mapTextButtons;
    QAbstractButton* m_pCurrentButton = nullptr;
    QPixmap m_pixNormal;
    QPixmap m_pixHover;
};

} // namespace VUVararer
