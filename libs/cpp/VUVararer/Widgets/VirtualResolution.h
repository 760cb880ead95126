#pragma once
// Shows a window's content as if the screen had another resolution: scaling host, chooser dialog, device frame.

#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QVector>
#include <QWidget>

class QComboBox;
class QGraphicsProxyWidget;
class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QSlider;
class QSpinBox;
class QVBoxLayout;

namespace VUVararer {

// Lays an embedded widget out at a virtual size and scales it into a graphics view that fills this widget.
class VirtualResolutionWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VirtualResolutionWidget(QWidget* parent = nullptr);

    // Embeds w (a widget without parent) as the scene's proxy at (0, 0).
    void setWidget(QWidget* w);
    QWidget* widget() const;
    QSize virtualSize() const { return m_szVirtual; }
    QGraphicsView* view() const { return m_pView; }
    void translate(int, int) {}

public slots:
    // Fixes the embedded widget to the size and fits the view to it.
    void slotSetSize(const QSize& size);
    void slotSetWidth(int width);
    void slotSetHeight(int height);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitView();

    QGraphicsScene* m_pScene;
    QGraphicsView* m_pView;
    QGraphicsProxyWidget* m_pProxy = nullptr;
    QSize m_szVirtual;
};

// The one shared scaling widget, made on first use and kept for the process's lifetime.
class VirtualResolutionSingleton
{
public:
    static VirtualResolutionWidget* instance();
};

// A slider over a list of resolutions plus width and height spin boxes (100 to 30000) that may be typed into.
class ResolutionSetupWidget : public QGroupBox
{
    Q_OBJECT

public:
    explicit ResolutionSetupWidget(const QString& title, QWidget* parent = nullptr);

    // Appends a slider step; the spin boxes show the first entry.
    void addResolution(int width, int height);
    // The spin boxes' values, so a typed size counts.
    QSize resolution() const;
    QSlider* slider() const { return m_psldResolution; }
    QSpinBox* widthBox() const { return m_pspbWidth; }
    QSpinBox* heightBox() const { return m_pspbHeight; }

signals:
    void resolutionChanged(const QSize& size);

public slots:
    void slotValueChanged(int index);

private:
    QVector<int> m_vecWidths;
    QVector<int> m_vecHeights;
    QSlider* m_psldResolution;
    QSpinBox* m_pspbWidth;
    QSpinBox* m_pspbHeight;
};

// Chooses between virtual-resolution and normal mode and the virtual size.
class VirtualResolutionDialog : public QDialog
{
    Q_OBJECT

public:
    enum Mode { VirtualResolutionMode = 0, NormalMode = 1 };

    explicit VirtualResolutionDialog(QWidget* parent = nullptr);

    int mode() const;
    QSize virtualResolution() const;
    QComboBox* modeBox() const { return m_pcbxMode; }
    ResolutionSetupWidget* virtualResolutionWidget() const { return m_pVirtualResolution; }

signals:
    void virtualResolutionChanged(const QSize& size);
    void changeVirtualResolution(const QSize& size);
    void changeSettings();

public slots:
    void slotModeChanged(int index);
    void slotApply();

private:
    QComboBox* m_pcbxMode;
    ResolutionSetupWidget* m_pVirtualResolution;
    ResolutionSetupWidget* m_pWindowSize;
    QLabel* m_plblLogo;
};

// A host that shows its content either normally or scaled from a virtual resolution, optionally full screen.
class HybridWidget : public QWidget
{
    Q_OBJECT

public:
    explicit HybridWidget(QWidget* parent = nullptr);
    ~HybridWidget() override;

    void setWidget(QWidget* w);
    void setWindowCaption(const QString& text);
    bool isInVirtualMode() const { return m_bVirtualMode; }
    bool isFullScreenMode() const { return m_bFullScreen; }
    VirtualResolutionWidget* scalingWidget() const { return m_pVirtualResolution; }
    VirtualResolutionDialog* settingsDialog() const { return m_pDialog; }

public slots:
    void slotSetVirtualResolutionMode(bool on);
    void slotSetSize(const QSize& size);
    // Mode 1 (normal) leaves virtual mode when it is on; every other case enters it.
    void slotSetMode(int mode);
    void slotSetSettings();
    void slotShowFullScreenMode(bool on);
    void slotShowSettingsDialog();

private:
    QWidget* m_pContainer;
    VirtualResolutionWidget* m_pVirtualResolution;
    QVBoxLayout* m_pLayout;
    bool m_bVirtualMode = false;
    bool m_bFullScreen = false;
    QPointer<VirtualResolutionDialog> m_pDialog;
    QRect m_rectGeometry;
};

// A framed holder for an application's main widget, as on a device screen.
class MobileSimulator : public QFrame
{
    Q_OBJECT

public:
    explicit MobileSimulator(QWidget* parent = nullptr);

    void setMainWidget(QWidget* w);
    QWidget* mainWidget() const { return m_pMainWidget; }

private:
    QWidget* m_pMainWidget = nullptr;
};

} // namespace VUVararer
