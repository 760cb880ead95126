#pragma once
// Image viewing panel: a picture fitted or zoomed, previous/next browsing, a zoom bar and the system previewer.

#include <QFrame>
#include <QPixmap>
#include <QString>
#include <QStringList>

class QLabel;
class QMovie;
class QPushButton;
class QScrollArea;
class QSlider;

namespace VUVararer {

// Opens files and addresses with the system.
class SystemPreview
{
public:
    // An existing file opens as a local file, any other text as a (tolerantly parsed) address.
    static bool open(const QString& path);
};

// One picture, fitted to the area or at a zoom percentage, with previous/next buttons and an information line.
class ImageArea : public QFrame
{
    Q_OBJECT

public:
    explicit ImageArea(QWidget* parent = nullptr);

    // Shows the picture (fitted or at the current zoom) and ends the loading animation.
    void load(const QPixmap& pixmap);
    QPixmap pixmap() const { return m_pixPicture; }
    void updateView();
    void fitScreen();
    void zoom(int percent);
    int zoomPercent() const { return m_nZoom; }
    bool isFitToWindow() const { return m_bFitToWindow; }
    // An empty text hides the information line.
    void setInfo(const QString& text);
    QString info() const;
    void setNoControls(bool on);
    // Ends the loading animation without a new picture.
    void stopLoading();
    QLabel* previewLabel() const { return m_plblPreview; }
    QScrollArea* scrollArea() const { return m_pScrollArea; }

signals:
    void next();
    void previous();
    void infoChanged();

public slots:
    void slotZoom(int percent);
    void slotFitScreen();
    void slotNextClicked();
    void slotPreviousClicked();
    void slotShowInfo();
    void slotHideInfo();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startLoading();
    void showControls(bool on);

    QScrollArea* m_pScrollArea;
    QLabel* m_plblPreview;
    int m_nZoom = 100;
    QPixmap m_pixPicture;
    bool m_bFitToWindow = true;
    QPushButton* m_pbtnNext;
    QPushButton* m_pbtnPrevious;
    QLabel* m_plblInfo;
    QLabel* m_plblLoading;
    QMovie* m_pMovie;
    bool m_bNoControls = false;
};

// The image area with a zoom bar, fit and actual-pixels buttons, the system previewer and folder browsing.
class ImageViewer : public QFrame
{
    Q_OBJECT

public:
    explicit ImageViewer(QWidget* parent = nullptr);

    ImageArea* area() const { return m_pArea; }
    void setInfo(const QString& text);
    void setNoControls(bool on);
    // Browses the folder's pictures by name with previous/next; shows current, or else the first readable one.
    void setFolder(const QString& folder, const QString& current = QString());
    // The file shown while browsing a folder; empty otherwise.
    QString currentPath() const { return m_nCurrent < 0 ? QString() : m_lstFiles.value(m_nCurrent); }
    QStringList folderFiles() const { return m_lstFiles; }

signals:
    void next();
    void previous();
    void infoChanged();
    void systemPreviewOpened();

public slots:
    // Loads the file; when it cannot be read the current picture stays and the information line says so.
    bool slotLoad(const QString& path);
    void slotLoad(const QImage& image);
    void slotZoom(int percent);
    void slotShowInfo();
    void slotIncZoom();
    void slotDecZoom();
    void slotActualPixels();
    void slotFitScreen();
    void slotSysPreview();
    void slotShowNext();
    void slotShowPrevious();

private:
    // Moves through the folder by direction until one picture decodes; says which files were skipped.
    void step(int direction);

    ImageArea* m_pArea;
    QSlider* m_psldZoom;
    QPushButton* m_pbtnFit;
    QPushButton* m_pbtnActualPixels;
    QPushButton* m_pbtnSysPreview;
    QPushButton* m_pbtnZoomIn;
    QPushButton* m_pbtnZoomOut;
    QString m_strFolder;
    QStringList m_lstFiles;
    int m_nCurrent = -1;
};

} // namespace VUVararer
