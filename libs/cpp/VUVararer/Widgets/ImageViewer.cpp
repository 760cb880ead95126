#include "ImageViewer.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>

#include <QCollator>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QUrl>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

const QSize LoadingMovieSize(96, 96);

QHBoxLayout* row()
{
    QHBoxLayout* pLayout = new QHBoxLayout;
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    return pLayout;
}

QPushButton* flatButton(const QString& name, const QString& text, QWidget* parent)
{
    QPushButton* pButton = new QPushButton(text, parent);
    pButton->setObjectName(name);
    pButton->setFlat(true);
    return pButton;
}

void setCheckedQuietly(QPushButton* button, bool checked)
{
    const bool blocked = button->blockSignals(true);
    button->setChecked(checked);
    button->blockSignals(blocked);
}

} // namespace

bool SystemPreview::open(const QString& path)
{
    const QUrl url = QFileInfo::exists(path) ? QUrl::fromLocalFile(path) : QUrl::fromUserInput(path);
    return Common::openUrl(url);
}

ImageArea::ImageArea(QWidget* parent)
    : QFrame(parent), m_pScrollArea(new QScrollArea(this)), m_plblPreview(new QLabel),
      m_pbtnNext(flatButton("NextImageButton", QString(QChar(0x203A)), this)),
      m_pbtnPrevious(flatButton("PreviousImageButton", QString(QChar(0x2039)), this)), m_plblInfo(new QLabel(this)),
      m_plblLoading(new QLabel(this)), m_pMovie(new QMovie(":/loading_image.gif", QByteArray(), this))
{
    m_plblPreview->setObjectName("PreviewLabel");
    m_plblPreview->setAlignment(Qt::AlignCenter);
    m_pScrollArea->setWidget(m_plblPreview);
    m_pScrollArea->move(0, 0);

    m_pMovie->setScaledSize(LoadingMovieSize);
    m_plblLoading->setObjectName("ImageLoadingLabel");
    m_plblLoading->setAlignment(Qt::AlignCenter);
    m_plblLoading->setFixedSize(qRound(LoadingMovieSize.width() * 1.5), qRound(LoadingMovieSize.height() * 1.5));
    m_plblLoading->setMovie(m_pMovie);
    m_plblLoading->hide();
    m_plblInfo->hide();

    QHBoxLayout* pButtons = row();
    pButtons->addWidget(m_pbtnPrevious);
    pButtons->addStretch();
    pButtons->addWidget(m_plblLoading);
    pButtons->addStretch();
    pButtons->addWidget(m_pbtnNext);
    QHBoxLayout* pInfo = row();
    pInfo->addStretch();
    pInfo->addWidget(m_plblInfo);
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addStretch();
    pLayout->addLayout(pButtons);
    pLayout->addStretch();
    pLayout->addLayout(pInfo);

    connect(m_pbtnNext, SIGNAL(clicked()), this, SLOT(slotNextClicked()));
    connect(m_pbtnPrevious, SIGNAL(clicked()), this, SLOT(slotPreviousClicked()));
}

void ImageArea::load(const QPixmap& pixmap)
{
    m_pixPicture = pixmap;
    updateView();
    stopLoading();
}

void ImageArea::stopLoading()
{
    m_pMovie->stop();
    m_plblLoading->hide();
}

void ImageArea::startLoading()
{
    m_pMovie->start();
    m_plblLoading->show();
}

void ImageArea::updateView()
{
    if (m_bFitToWindow)
        fitScreen();
    else
        zoom(m_nZoom);
}

void ImageArea::fitScreen()
{
    m_pScrollArea->setGeometry(rect());
    m_plblPreview->setPixmap(
        m_pixPicture.isNull() ? QPixmap() : m_pixPicture.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_plblPreview->setFixedSize(size());
    m_pScrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pScrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void ImageArea::zoom(int percent)
{
    m_nZoom = percent;
    m_pScrollArea->setGeometry(rect());
    const QSize target(qRound(qRound(double(m_pixPicture.width()) * percent) / 100.0),
                       qRound(qRound(double(m_pixPicture.height()) * percent) / 100.0));
    const QPixmap scaled = m_pixPicture.isNull() || target.isEmpty()
                               ? QPixmap()
                               : m_pixPicture.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_plblPreview->setPixmap(scaled);
    const int w = width(), h = height();
    const bool narrower = scaled.width() < w, lower = scaled.height() < h;
    Qt::ScrollBarPolicy horizontal = Qt::ScrollBarAsNeeded, vertical = Qt::ScrollBarAsNeeded;
    if (narrower && lower) {
        m_plblPreview->setFixedSize(w, h);
        horizontal = vertical = Qt::ScrollBarAlwaysOff;
    } else if (narrower) {
        m_plblPreview->setFixedSize(w, scaled.height());
        horizontal = Qt::ScrollBarAlwaysOff;
    } else if (lower) {
        m_plblPreview->setFixedSize(scaled.width(), h);
        vertical = Qt::ScrollBarAlwaysOff;
    } else {
        m_plblPreview->setFixedSize(scaled.size());
    }
    m_pScrollArea->setHorizontalScrollBarPolicy(horizontal);
    m_pScrollArea->setVerticalScrollBarPolicy(vertical);
}

void ImageArea::slotZoom(int percent)
{
    m_bFitToWindow = false;
    zoom(percent);
}

void ImageArea::slotFitScreen()
{
    m_plblInfo->setText(tr("<H1>Fit to Window</H1>"));
    m_bFitToWindow = true;
    fitScreen();
}

void ImageArea::slotNextClicked()
{
    startLoading();
    emit next();
    emit infoChanged();
}

void ImageArea::slotPreviousClicked()
{
    startLoading();
    emit previous();
    emit infoChanged();
}

void ImageArea::setInfo(const QString& text)
{
    m_plblInfo->setText(text);
    m_plblInfo->setVisible(!text.isEmpty());
}

QString ImageArea::info() const { return m_plblInfo->text(); }

void ImageArea::slotShowInfo() { m_plblInfo->show(); }

void ImageArea::slotHideInfo() { m_plblInfo->hide(); }

void ImageArea::showControls(bool on)
{
    m_pbtnPrevious->setVisible(on);
    m_pbtnNext->setVisible(on);
    m_plblInfo->setVisible(on);
}

void ImageArea::setNoControls(bool on)
{
    m_bNoControls = on;
    if (on)
        showControls(false);
}

void ImageArea::enterEvent(QEvent* event)
{
    if (!m_bNoControls)
        showControls(true);
    QFrame::enterEvent(event);
}

void ImageArea::leaveEvent(QEvent* event)
{
    showControls(false);
    QFrame::leaveEvent(event);
}

void ImageArea::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    updateView();
}

ImageViewer::ImageViewer(QWidget* parent)
    : QFrame(parent), m_pArea(new ImageArea(this)), m_psldZoom(new QSlider(Qt::Horizontal, this)),
      m_pbtnFit(flatButton("FitToScreenButton", tr("Fit"), this)),
      m_pbtnActualPixels(flatButton("ActualPixelsButton", tr("Actual Pixels"), this)),
      m_pbtnSysPreview(flatButton("SysPreviewButton", tr("Open with Preview"), this)),
      m_pbtnZoomIn(flatButton("ZoomInButton", QString(QChar(0x2212)), this)),
      m_pbtnZoomOut(flatButton("ZoomOutButton", "+", this))
{
    setMinimumHeight(400);
    m_psldZoom->setObjectName("ImageViewSlider");
    m_psldZoom->setRange(1, 100);
    m_psldZoom->setValue(100);
    m_psldZoom->setTickPosition(QSlider::TicksBothSides);
    m_psldZoom->setMinimumWidth(200);
    m_pbtnFit->setCheckable(true);
    m_pbtnFit->setChecked(true);
    m_pbtnFit->setToolTip(tr("Fit To Window"));
    m_pbtnActualPixels->setCheckable(true);
    m_pbtnActualPixels->setFixedHeight(32);
    m_pbtnActualPixels->setToolTip(tr("100%"));
    m_pbtnSysPreview->setFixedHeight(32);
    m_pbtnZoomIn->setFixedSize(44, 44);
    m_pbtnZoomOut->setFixedSize(44, 44);

    QHBoxLayout* pTop = new QHBoxLayout;
    pTop->addStretch();
    pTop->addWidget(m_pbtnSysPreview);
    pTop->addStretch();
    QHBoxLayout* pBar = new QHBoxLayout;
    pBar->setContentsMargins(5, 5, 5, 5);
    pBar->addStretch();
    pBar->addWidget(m_pbtnZoomIn);
    pBar->addWidget(m_psldZoom);
    pBar->addWidget(m_pbtnZoomOut);
    pBar->addSpacing(5);
    pBar->addWidget(m_pbtnActualPixels);
    pBar->addSpacing(20);
    pBar->addWidget(m_pbtnFit);
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pArea, 1);
    pLayout->addLayout(pBar);

    connect(m_psldZoom, SIGNAL(valueChanged(int)), this, SLOT(slotZoom(int)));
    connect(m_psldZoom, SIGNAL(sliderPressed()), this, SLOT(slotShowInfo()));
    connect(m_psldZoom, SIGNAL(sliderReleased()), m_pArea, SLOT(slotHideInfo()));
    // The names are crossed: "ZoomInButton" lowers the zoom, "ZoomOutButton" raises it.
    connect(m_pbtnZoomIn, SIGNAL(clicked()), this, SLOT(slotDecZoom()));
    connect(m_pbtnZoomOut, SIGNAL(clicked()), this, SLOT(slotIncZoom()));
    connect(m_pbtnActualPixels, SIGNAL(clicked()), this, SLOT(slotActualPixels()));
    connect(m_pbtnFit, SIGNAL(clicked()), this, SLOT(slotFitScreen()));
    connect(m_pbtnSysPreview, SIGNAL(clicked()), this, SLOT(slotSysPreview()));
    connect(m_pArea, SIGNAL(next()), this, SIGNAL(next()));
    connect(m_pArea, SIGNAL(previous()), this, SIGNAL(previous()));
    connect(m_pArea, SIGNAL(infoChanged()), this, SIGNAL(infoChanged()));
    connect(m_pArea, SIGNAL(next()), this, SLOT(slotShowNext()));
    connect(m_pArea, SIGNAL(previous()), this, SLOT(slotShowPrevious()));
}

void ImageViewer::setInfo(const QString& text) { m_pArea->setInfo(text); }

void ImageViewer::setNoControls(bool on) { m_pArea->setNoControls(on); }

bool ImageViewer::slotLoad(const QString& path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        m_pArea->stopLoading();
        m_pArea->setInfo(tr("Cannot open %1").arg(QFileInfo(path).fileName().toHtmlEscaped()));
        return false;
    }
    slotLoad(image);
    return true;
}

void ImageViewer::slotLoad(const QImage& image) { m_pArea->load(QPixmap::fromImage(image)); }

void ImageViewer::setFolder(const QString& folder, const QString& current)
{
    QStringList lstPatterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        lstPatterns << "*." + QString::fromLatin1(format) << "*." + QString::fromLatin1(format).toUpper();
    QStringList lstNames = QDir(folder).entryList(lstPatterns, QDir::Files | QDir::Readable);
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(lstNames.begin(), lstNames.end(), collator);
    m_strFolder = folder;
    m_lstFiles.clear();
    for (const QString& name : lstNames)
        m_lstFiles << QDir(folder).filePath(name);
    const int nCurrent = current.isEmpty() ? -1 : m_lstFiles.indexOf(QDir(folder).filePath(current));
    // Starts one before the wanted file so that the first step lands on it.
    m_nCurrent = nCurrent < 0 ? -1 : nCurrent - 1;
    step(+1);
}

void ImageViewer::slotShowNext() { step(+1); }

void ImageViewer::slotShowPrevious() { step(-1); }

void ImageViewer::step(int direction)
{
    // Without a folder the owner answers next() and previous() itself.
    if (m_strFolder.isEmpty())
        return;
    QStringList lstSkipped;
    while (!m_lstFiles.isEmpty()) {
        const int nCount = m_lstFiles.size();
        // Before the first file (-1), a step back lands on the last one.
        const int nFrom = m_nCurrent < 0 && direction < 0 ? 0 : m_nCurrent;
        const int nIndex = (nFrom + direction + nCount) % nCount;
        const QImage image = QImageReader(m_lstFiles[nIndex]).read();
        if (!image.isNull()) {
            m_nCurrent = nIndex;
            slotLoad(image);
            break;
        }
        // Vanished or undecodable: left out from now on; the next round tries its neighbour.
        lstSkipped << QFileInfo(m_lstFiles[nIndex]).fileName();
        m_lstFiles.removeAt(nIndex);
        m_nCurrent = direction > 0 ? nIndex - 1 : nIndex;
    }
    if (m_lstFiles.isEmpty()) {
        m_nCurrent = -1;
        m_pArea->stopLoading();
        m_pArea->setInfo(tr("No readable picture left"));
    } else if (!lstSkipped.isEmpty()) {
        m_pArea->setInfo(tr("Skipped (missing or unreadable): %1").arg(lstSkipped.join(", ").toHtmlEscaped()));
    }
}

void ImageViewer::slotZoom(int percent)
{
    m_pArea->setInfo("<H1>" + QString::number(percent) + "%</H1>");
    setCheckedQuietly(m_pbtnFit, false);
    setCheckedQuietly(m_pbtnActualPixels, percent == 100);
    m_pArea->slotZoom(percent);
}

void ImageViewer::slotShowInfo() { slotZoom(m_psldZoom->value()); }

void ImageViewer::slotIncZoom()
{
    if (m_psldZoom->value() < 100)
        m_psldZoom->setValue(m_psldZoom->value() + 1);
}

void ImageViewer::slotDecZoom()
{
    if (m_psldZoom->value() > 1)
        m_psldZoom->setValue(m_psldZoom->value() - 1);
}

void ImageViewer::slotActualPixels()
{
    setCheckedQuietly(m_pbtnFit, false);
    if (!m_pbtnActualPixels->isChecked())
        return;
    if (m_psldZoom->value() == 100)
        slotZoom(100);
    else
        m_psldZoom->setValue(100);
}

void ImageViewer::slotFitScreen()
{
    m_pArea->setInfo(QString());
    setCheckedQuietly(m_pbtnActualPixels, false);
    setCheckedQuietly(m_pbtnFit, true);
    m_pArea->slotFitScreen();
}

void ImageViewer::slotSysPreview()
{
    const QString folder = App::theApp() ? App::theApp()->workDirectory(true) : QDir::tempPath() + "/";
    const QString path = folder + "preview.png";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !m_pArea->pixmap().save(&file, "png") || !file.commit()) {
        qWarning() << "ImageViewer: cannot write" << path;
        return;
    }
    if (SystemPreview::open(path))
        emit systemPreviewOpened();
}

} // namespace VUVararer
