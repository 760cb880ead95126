#pragma once
// A title bar for frameless windows that reports drags, and a label that plays an animated picture while visible.

#include <QFrame>
#include <QLabel>
#include <QPoint>

class QLayout;
class QMenu;
class QMovie;
class QPushButton;
class QTimer;
class QToolButton;

namespace VUVararer {

// Close button, a hidden actions menu, picture tools and a place for the owner's tools; drags report positions.
class WindowTitle : public QFrame
{
    Q_OBJECT

public:
    explicit WindowTitle(QWidget* parent = nullptr);

    // True while the actions menu is open (the owner keeps the bar shown meanwhile).
    bool isMenuActivated() const { return m_bMenuActivated; }
    // Puts the layout onto the tools widget at the bar's left.
    void addTools(QLayout* layout);
    QPushButton* actionsButton() const { return m_pbtnActions; }
    QMenu* actionsMenu() const { return m_pmnuActions; }

signals:
    // The window's new top-left: the global mouse position minus where the bar was pressed.
    void changePosition(const QPoint& position);
    void closeWindow();
    // The picture tools; the names of the first two buttons are crossed ("ZoomInButton" asks to zoom out).
    void zoomOutClicked();
    void zoomInClicked();
    void actualSizeClicked();
    void alwaysOptimizeToggled(bool on);

public slots:
    void slotMenuAboutToShow() { m_bMenuActivated = true; }
    void slotMenuAboutToHide() { m_bMenuActivated = false; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QToolButton* toolButton(const QString& name, const QString& text, const QString& toolTip);

    QFrame* m_pfrmBar;
    QWidget* m_pTools;
    QPushButton* m_pbtnClose;
    QPushButton* m_pbtnActions;
    QMenu* m_pmnuActions;
    QPoint m_ptPress;
    bool m_bMenuActivated = false;
};

// Plays an animated picture while visible, scaled to the label with a margin, optionally for a limited time.
class MovieLabel : public QLabel
{
    Q_OBJECT

public:
    explicit MovieLabel(const QString& fileName, QWidget* parent = nullptr);

    void setSpeed(int percent);
    // Milliseconds of playing after the next show; 0 or less plays until hidden.
    void setDuration(int ms) { m_nDuration = ms; }
    int duration() const { return m_nDuration; }
    QMovie* movie() const { return m_pMovie; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QMovie* m_pMovie;
    QTimer* m_pStopTimer;
    int m_nDuration = -1;
};

} // namespace VUVararer
