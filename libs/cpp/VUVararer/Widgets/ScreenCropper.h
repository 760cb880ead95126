#pragma once
// Full-window overlay over a still picture of the screen: crop a dragged rectangle, or measure it as a ruler.

#include <QFrame>
#include <QPixmap>
#include <QPoint>
#include <QString>

namespace VUVararer {

class ScreenCropper : public QFrame
{
    Q_OBJECT

public:
    // How grabScreen() shows the overlay; any other value is a normal window.
    enum ShowModes { ShowFullScreen = 0, ShowMaximized = 1, ShowNormal = 2 };

    explicit ScreenCropper(QWidget* parent = nullptr);

    // Takes a picture of the whole screen and shows the overlay over it.
    virtual void grabScreen();

    void setShowMode(int mode) { m_nShowMode = mode; }
    void setMessage(const QString& text) { m_strMessage = text; }
    // The last cropped picture; empty after a click without a drag.
    QPixmap result() const { return m_pixResult; }
    bool openLocationAfterSave() const { return m_bOpenLocationAfterSave; }
    QString saveFolder() const { return m_strSaveFolder; }

    // Chooses the save folder and the phrase naming it; the owner calls it once before the first use.
    virtual void retranslateUi();

    QString defaultMessage() const;
    QString simpleMessage() const;

signals:
    void done();
    void done(const QPixmap& picture);
    void saved();
    void closed();
    void escaped();

public slots:
    // Saves the result as "ScreenShot_<date and time>.png" under a free name in the save folder.
    // Returns the path written, or an empty string when nothing could be written.
    QString slotSave();
    virtual void slotClose();

protected:
    // The seam for the screen picture (tests inject a known one).
    virtual QPixmap takeScreenPicture() const;
    void showByMode();
    void recreatePix2();
    // One override cursor entry while the overlay is in use; restoreCursor() removes it.
    void setCursorShape(Qt::CursorShape shape);
    void restoreCursor();
    QRect selection() const { return QRect(m_ptStart, m_ptCurrent); }
    void drawMessage(QPainter& painter, int pixelSize, int insetX);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    QPixmap m_pixScreen;
    bool m_bSelecting = false;
    QPoint m_ptStart;
    QPoint m_ptCurrent;
    QString m_strSaveFolder;
    QString m_strLocation;
    QString m_strMessage;
    QPixmap m_pixResult;
    bool m_bOpenLocationAfterSave = false;
    int m_nShowMode = ShowFullScreen;
    QPixmap m_pixShown;
    double m_dMeasuringRatio = 1.0;
    bool m_bCursorOverridden = false;
};

// The overlay as an on-screen ruler: the dragged rectangle is labelled with its width and height.
class ScreenMeasurer : public ScreenCropper
{
    Q_OBJECT

public:
    explicit ScreenMeasurer(QWidget* parent = nullptr);

    // Grabs the screen into the overlay without showing it; the owner shows the window.
    void grabScreen() override;
    void retranslateUi() override {}
    // The label of the current rectangle, "<width>x<height>" in screen pixels.
    QString measureText() const;

signals:
    void done();
    void doQuit();

public slots:
    void slotClose() override;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace VUVararer
