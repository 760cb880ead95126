#include "VirtualResolution.h"

#include <VUVararer/Common.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

QHBoxLayout* row(int margin, int spacing)
{
    QHBoxLayout* pLayout = new QHBoxLayout;
    pLayout->setContentsMargins(margin, margin, margin, margin);
    pLayout->setSpacing(spacing);
    return pLayout;
}

// The virtual resolutions offered by the dialog, in slider order.
const QVector<QSize>& virtualResolutions()
{
    static const QVector<QSize> sizes{{1024, 768},  {1152, 864},  {1280, 800},  {1280, 1024}, {1440, 900},
                                      {1600, 1200}, {1680, 1050}, {1920, 1200}, {1980, 1250}, {2048, 1536},
                                      {2650, 1600}, {3840, 2400}, {4096, 3072}, {5300, 3200}};
    return sizes;
}

const QSize DefaultVirtualSize(1280, 800);

} // namespace

VirtualResolutionWidget::VirtualResolutionWidget(QWidget* parent)
    : QWidget(parent), m_pScene(new QGraphicsScene(0, 0, 800, 800, this)), m_pView(new QGraphicsView(m_pScene, this))
{
    m_pView->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::green);
    setPalette(pal);
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(m_pView);
    m_pView->viewport()->installEventFilter(this);
}

bool VirtualResolutionWidget::eventFilter(QObject* watched, QEvent* event)
{
    // The viewport may get its size after this widget's resize (at the first show): fit again then.
    if (watched == m_pView->viewport() && event->type() == QEvent::Resize)
        fitView();
    return QWidget::eventFilter(watched, event);
}

void VirtualResolutionWidget::setWidget(QWidget* w)
{
    m_pProxy = m_pScene->addWidget(w);
    fitView();
    m_pProxy->setPos(0, 0);
}

QWidget* VirtualResolutionWidget::widget() const { return m_pProxy ? m_pProxy->widget() : nullptr; }

void VirtualResolutionWidget::fitView()
{
    if (m_pProxy)
        m_pView->fitInView(m_pProxy, Qt::IgnoreAspectRatio);
}

void VirtualResolutionWidget::slotSetSize(const QSize& size)
{
    m_szVirtual = size;
    if (QWidget* pWidget = widget())
        pWidget->setFixedSize(size);
    m_pScene->setSceneRect(0, 0, size.width(), size.height());
    fitView();
    if (m_pProxy)
        m_pProxy->setPos(0, 0);
}

void VirtualResolutionWidget::slotSetWidth(int width)
{
    QSize size = m_szVirtual.isValid() || !widget() ? m_szVirtual : widget()->size();
    size.setWidth(width);
    qDebug() << "Size1:" << size;
    slotSetSize(size);
}

void VirtualResolutionWidget::slotSetHeight(int height)
{
    QSize size = m_szVirtual.isValid() || !widget() ? m_szVirtual : widget()->size();
    size.setHeight(height);
    qDebug() << "Size2:" << size;
    slotSetSize(size);
}

void VirtualResolutionWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitView();
    if (m_pProxy)
        m_pView->ensureVisible(m_pProxy, 50, 50);
}

VirtualResolutionWidget* VirtualResolutionSingleton::instance()
{
    static VirtualResolutionWidget* s_pWidget = new VirtualResolutionWidget;
    return s_pWidget;
}

ResolutionSetupWidget::ResolutionSetupWidget(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), m_psldResolution(new QSlider(Qt::Horizontal, this)), m_pspbWidth(new QSpinBox(this)),
      m_pspbHeight(new QSpinBox(this))
{
    m_psldResolution->setTickInterval(1);
    m_psldResolution->setTickPosition(QSlider::TicksBelow);
    for (QSpinBox* pBox : {m_pspbWidth, m_pspbHeight})
        pBox->setRange(100, 30000);
    QLabel* plblTimes = new QLabel("x", this);
    plblTimes->setMaximumWidth(10);

    QHBoxLayout* pSliderRow = row(1, 1);
    pSliderRow->addWidget(new QLabel(tr("Low"), this));
    pSliderRow->addWidget(m_psldResolution);
    pSliderRow->addWidget(new QLabel(tr("High"), this));
    QHBoxLayout* pSizeRow = row(1, 1);
    pSizeRow->addWidget(m_pspbWidth);
    pSizeRow->addWidget(plblTimes);
    pSizeRow->addWidget(m_pspbHeight);
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pSliderRow);
    pLayout->addLayout(pSizeRow);
    connect(m_psldResolution, SIGNAL(valueChanged(int)), this, SLOT(slotValueChanged(int)));
}

void ResolutionSetupWidget::addResolution(int width, int height)
{
    m_vecWidths.append(width);
    m_vecHeights.append(height);
    m_psldResolution->setRange(0, m_vecWidths.size() - 1);
    m_pspbWidth->setValue(m_vecWidths.first());
    m_pspbHeight->setValue(m_vecHeights.first());
}

void ResolutionSetupWidget::slotValueChanged(int index)
{
    if (index < 0 || index >= m_vecWidths.size())
        return;
    m_pspbWidth->setValue(m_vecWidths[index]);
    m_pspbHeight->setValue(m_vecHeights[index]);
    emit resolutionChanged(QSize(m_vecWidths[index], m_vecHeights[index]));
}

QSize ResolutionSetupWidget::resolution() const { return QSize(m_pspbWidth->value(), m_pspbHeight->value()); }

VirtualResolutionDialog::VirtualResolutionDialog(QWidget* parent)
    : QDialog(parent), m_pcbxMode(new QComboBox(this)),
      m_pVirtualResolution(new ResolutionSetupWidget(tr("Virtual Resolution"), this)),
      m_pWindowSize(new ResolutionSetupWidget(tr("Window Size"), this)), m_plblLogo(new QLabel(this))
{
    m_pcbxMode->addItems({tr("Virtual Resolution Mode"), tr("Normal Model")});
    connect(m_pcbxMode, SIGNAL(activated(int)), this, SLOT(slotModeChanged(int)));
    for (const QSize& size : virtualResolutions())
        m_pVirtualResolution->addResolution(size.width(), size.height());
    connect(m_pVirtualResolution, SIGNAL(resolutionChanged(QSize)), this, SIGNAL(virtualResolutionChanged(QSize)));
    m_pWindowSize->hide();
    const QPixmap pixLogo(":/pix/vrlogo.png");
    m_plblLogo->setPixmap(pixLogo);
    m_plblLogo->setFixedSize(pixLogo.size());

    QPushButton* pbtnOk = new QPushButton(tr("&Ok"), this);
    QPushButton* pbtnCancel = new QPushButton(tr("&Cancel"), this);
    QPushButton* pbtnApply = new QPushButton(tr("&Apply"), this);
    connect(pbtnOk, SIGNAL(clicked()), this, SLOT(accept()));
    connect(pbtnCancel, SIGNAL(clicked()), this, SLOT(reject()));
    connect(pbtnApply, SIGNAL(clicked()), this, SLOT(slotApply()));
    QHBoxLayout* pButtons = row(5, 3);
    pButtons->addStretch();
    for (QPushButton* pButton : {pbtnOk, pbtnCancel, pbtnApply}) {
        Common::applyPushButtonDetails(pButton);
        pButtons->addWidget(pButton);
    }

    QCheckBox* pchbOpenGL = new QCheckBox(this);
    pchbOpenGL->setChecked(false);
    pchbOpenGL->setEnabled(false);
    QHBoxLayout* pOpenGL = row(5, 1);
    pOpenGL->addWidget(new QLabel(tr("OpenGL Acceleration"), this));
    pOpenGL->addWidget(pchbOpenGL);
    pOpenGL->addStretch();

    QVBoxLayout* pSetup = new QVBoxLayout;
    pSetup->setContentsMargins(5, 5, 5, 5);
    pSetup->setSpacing(5);
    pSetup->addWidget(m_pVirtualResolution);
    pSetup->addWidget(m_pWindowSize);

    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(1, 1, 1, 1);
    pLayout->setSpacing(3);
    pLayout->addWidget(m_plblLogo);
    pLayout->addLayout(pOpenGL);
    pLayout->addWidget(m_pcbxMode);
    pLayout->addLayout(pSetup);
    pLayout->addLayout(pButtons);
}

int VirtualResolutionDialog::mode() const
{
    return m_pcbxMode->currentIndex() == 0 ? VirtualResolutionMode : NormalMode;
}

QSize VirtualResolutionDialog::virtualResolution() const { return m_pVirtualResolution->resolution(); }

void VirtualResolutionDialog::slotModeChanged(int index) { m_pVirtualResolution->setEnabled(index == 0); }

void VirtualResolutionDialog::slotApply()
{
    emit changeVirtualResolution(virtualResolution());
    emit changeSettings();
}

HybridWidget::HybridWidget(QWidget* parent)
    : QWidget(parent), m_pContainer(new QWidget), m_pVirtualResolution(new VirtualResolutionWidget),
      m_pLayout(new QVBoxLayout(this))
{
    m_pVirtualResolution->setWidget(m_pContainer);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->setSpacing(0);
}

HybridWidget::~HybridWidget()
{
    // In virtual mode this host is a child of the container, which the scaling widget owns.
    if (m_bVirtualMode)
        setParent(nullptr);
    delete m_pVirtualResolution;
    delete m_pDialog;
}

void HybridWidget::setWidget(QWidget* w) { m_pLayout->addWidget(w); }

void HybridWidget::setWindowCaption(const QString& text)
{
    setWindowTitle(text);
    m_pVirtualResolution->setWindowTitle(text);
}

void HybridWidget::slotSetVirtualResolutionMode(bool on)
{
    if (on == m_bVirtualMode)
        return;
    if (on) {
        m_rectGeometry = QRect(QPoint(0, 0), size());
        hide();
        m_pContainer->setFixedSize(m_pContainer->size());
        setParent(m_pContainer);
        m_pVirtualResolution->show();
        show();
        m_pVirtualResolution->slotSetSize(m_pDialog ? m_pDialog->virtualResolution() : DefaultVirtualSize);
        setGeometry(m_pContainer->rect());
    } else {
        setParent(nullptr);
        setGeometry(m_rectGeometry);
        move(50, 50);
        show();
        m_pVirtualResolution->hide();
    }
    m_bVirtualMode = on;
}

void HybridWidget::slotSetSize(const QSize& size)
{
    if (!m_bVirtualMode)
        return;
    m_pVirtualResolution->slotSetSize(size);
    setGeometry(m_pContainer->rect());
}

void HybridWidget::slotSetMode(int mode)
{
    slotSetVirtualResolutionMode(!(mode == VirtualResolutionDialog::NormalMode && m_bVirtualMode));
}

void HybridWidget::slotSetSettings()
{
    if (!m_pDialog)
        return;
    slotSetMode(m_pDialog->mode());
    if (m_bVirtualMode)
        slotSetSize(m_pDialog->virtualResolution());
}

void HybridWidget::slotShowFullScreenMode(bool on)
{
    m_bFullScreen = on;
    QWidget* pWindow = m_bVirtualMode ? static_cast<QWidget*>(m_pVirtualResolution) : this;
    if (on)
        pWindow->showFullScreen();
    else
        pWindow->showNormal();
}

void HybridWidget::slotShowSettingsDialog()
{
    if (!m_pDialog) {
        m_pDialog = new VirtualResolutionDialog;
        connect(m_pDialog, SIGNAL(changeSettings()), this, SLOT(slotSetSettings()));
    }
    m_pDialog->raise();
    m_pDialog->activateWindow();
    m_pDialog->show();
}

MobileSimulator::MobileSimulator(QWidget* parent) : QFrame(parent)
{
    setObjectName("MobileSimulator");
    QHBoxLayout* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(5, 5, 5, 5);
    pLayout->setSpacing(3);
}

void MobileSimulator::setMainWidget(QWidget* w)
{
    m_pMainWidget = w;
    layout()->addWidget(w);
}

} // namespace VUVararer
