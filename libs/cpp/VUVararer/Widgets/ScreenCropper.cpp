#include "ScreenCropper.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>
#include <VUVararer/Os.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QtMath>

namespace VUVararer {

namespace {

QPoint roundedPosition(const QMouseEvent* event)
{
    return QPoint(qRound(event->localPos().x()), qRound(event->localPos().y()));
}

// Reserves the first free name "base.ext", "base 2.ext", "base 3.ext" ... by creating it empty.
QString reserveFreeName(const QString& folder, const QString& base, const QString& ext)
{
    for (int n = 1; n < 10000; ++n) {
        const QString path = folder + "/" + base + (n == 1 ? QString() : " " + QString::number(n)) + ext;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!file.exists())
            return QString(); // not writable at all
    }
    return QString();
}

} // namespace

ScreenCropper::ScreenCropper(QWidget* parent) : QFrame(parent)
{
    QAction* pactClose = new QAction(tr("Close"), this);
    pactClose->setShortcut(Qt::Key_Escape);
    addAction(pactClose);
    connect(pactClose, SIGNAL(triggered()), this, SLOT(slotClose()));
    connect(pactClose, SIGNAL(triggered()), this, SIGNAL(escaped()));
}

QPixmap ScreenCropper::takeScreenPicture() const { return Common::grabScreen(); }

void ScreenCropper::showByMode()
{
    if (m_nShowMode == ShowFullScreen) {
        // Without a window manager full screen does not resize: cover the grabbed screen by hand.
        if (const QScreen* pScreen = QGuiApplication::primaryScreen())
            setGeometry(pScreen->geometry());
        showFullScreen();
    } else if (m_nShowMode == ShowMaximized)
        showMaximized();
    else
        show();
}

void ScreenCropper::recreatePix2() { m_pixShown = m_pixScreen; }

void ScreenCropper::setCursorShape(Qt::CursorShape shape)
{
    if (m_bCursorOverridden) {
        QApplication::changeOverrideCursor(shape);
    } else {
        QApplication::setOverrideCursor(shape);
        m_bCursorOverridden = true;
    }
}

void ScreenCropper::restoreCursor()
{
    if (m_bCursorOverridden)
        QApplication::restoreOverrideCursor();
    m_bCursorOverridden = false;
}

void ScreenCropper::grabScreen()
{
    m_bSelecting = false;
    m_pixScreen = takeScreenPicture();
    showByMode();
    raise();
    activateWindow();
    recreatePix2();
    repaint();
    setFocus();
    setCursor(Qt::CrossCursor);
    setCursorShape(Qt::CrossCursor);
}

void ScreenCropper::slotClose()
{
    restoreCursor();
    m_bSelecting = false;
    showByMode();
    hide();
    emit closed();
}

void ScreenCropper::retranslateUi()
{
    if (App::isAppStore() && App::theApp()) {
        m_strSaveFolder = QDir::cleanPath(App::theApp()->picturesDirectory(true));
        m_strLocation = "in ~/Pictures/" + QCoreApplication::applicationName();
        return;
    }
    const QFileInfo current(m_strSaveFolder.isEmpty() ? QDir::currentPath() : m_strSaveFolder);
    if (current.isReadable()) {
        m_strSaveFolder = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation).value(0);
        m_strLocation = tr("on Desktop");
    } else {
        m_strSaveFolder = QStandardPaths::standardLocations(QStandardPaths::HomeLocation).value(0);
        m_strLocation = tr("in Home Location");
    }
}

QString ScreenCropper::defaultMessage() const
{
    return tr("Select the area you want to crop.\n") + tr("The image file will be saved ") + m_strLocation + "\n" +
           tr("Hold [ALT] to go, after screenshot is done, to its location\n") + tr("Press [A] to see about dialog\n") +
           tr("Press [ESC] to cancel this operation");
}

QString ScreenCropper::simpleMessage() const
{
    return tr("Select the area you want to crop. \n") + tr("(to cancel this operation press ESC button)");
}

QString ScreenCropper::slotSave()
{
    // The desktop folder need not exist on every system.
    QDir().mkpath(m_strSaveFolder);
    const QString base = "ScreenShot_" + QDateTime::currentDateTime().toString("yyyy-MM-dd_hh-mm-ss");
    const QString path = reserveFreeName(m_strSaveFolder, base, ".png");
    if (path.isEmpty()) {
        qWarning() << "ScreenCropper: cannot write into" << m_strSaveFolder;
        return QString();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !m_pixResult.save(&file, "PNG") || !file.commit()) {
        qWarning() << "ScreenCropper: cannot save" << path;
        QFile::remove(path);
        return QString();
    }
    if (m_bOpenLocationAfterSave)
        Os::openFolderAndSelectFile(path);
    emit saved();
    return path;
}

void ScreenCropper::mousePressEvent(QMouseEvent* event)
{
    m_ptStart = m_ptCurrent = roundedPosition(event);
    m_bSelecting = true;
    repaint();
}

void ScreenCropper::mouseMoveEvent(QMouseEvent* event)
{
    m_ptCurrent = roundedPosition(event);
    repaint();
}

void ScreenCropper::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->modifiers() & Qt::AltModifier)
        m_bOpenLocationAfterSave = true;
    const double scale = Os::scaleFactor();
    const auto scaled = [scale](int v) { return double(int(v * scale)); };
    // In floating point, so that a rectangle dragged backwards normalizes to the same one.
    const QRect rect = QRectF(QPointF(scaled(m_ptStart.x()), scaled(m_ptStart.y())),
                              QPointF(scaled(m_ptCurrent.x()), scaled(m_ptCurrent.y())))
                           .normalized()
                           .toRect();
    m_pixResult = rect.isEmpty() ? QPixmap() : m_pixScreen.copy(rect);
    slotClose();
    emit done(m_pixResult);
    emit done();
}

void ScreenCropper::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_A && App::theApp())
        App::theApp()->slotAbout();
    else if (event->key() == Qt::Key_Return)
        m_bOpenLocationAfterSave = true;
    else
        QFrame::keyPressEvent(event);
}

void ScreenCropper::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

void ScreenCropper::resizeEvent(QResizeEvent* event)
{
    recreatePix2();
    QFrame::resizeEvent(event);
}

void ScreenCropper::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QFrame::changeEvent(event);
}

void ScreenCropper::drawMessage(QPainter& painter, int pixelSize, int insetX)
{
    QFont font = this->font();
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(200, 200, 200), 4));
    painter.setBrush(QColor(0, 0, 0, 180));
    const int insetY = qRound(height() / 2.5);
    QRect box = rect().adjusted(insetX, insetY, -insetX, -insetY);
    const QString text = m_strMessage.isEmpty() ? defaultMessage() : m_strMessage;
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    // On a small screen the box grows to the text's height rather than cutting it off.
    const int missing = QFontMetrics(font).boundingRect(box, flags, text).height() + 10 - box.height();
    if (missing > 0)
        box.adjust(0, -(missing + 1) / 2, 0, (missing + 1) / 2);
    painter.drawRoundedRect(box, 5, 20);
    painter.drawText(box, flags, text);
}

void ScreenCropper::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPen frame(QColor(255, 255, 255, 128), 7, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(frame);
    painter.setBrush(Qt::black);
    painter.drawRect(rect());
    painter.drawPixmap(rect(), m_pixShown);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(0, 0), QPoint(width() - 1, height() - 1)));
    if (!m_bSelecting) {
        drawMessage(painter, 20, qRound(width() / 3.7));
        return;
    }
    painter.setPen(QPen(QColor(210, 210, 210), 1));
    painter.setBrush(QColor(10, 10, 80, 100));
    painter.drawRect(selection());
}

ScreenMeasurer::ScreenMeasurer(QWidget* parent) : ScreenCropper(parent) {}

void ScreenMeasurer::grabScreen()
{
    m_bSelecting = false;
    m_ptStart = m_ptCurrent = QPoint();
    m_pixScreen = takeScreenPicture();
    recreatePix2();
    emit done();
    repaint();
    setFocus();
    setCursor(Qt::CrossCursor);
    setCursorShape(Qt::CrossCursor);
}

void ScreenMeasurer::slotClose()
{
    restoreCursor();
    showNormal();
    hide();
    emit doQuit();
}

QString ScreenMeasurer::measureText() const
{
    const double ratio = m_dMeasuringRatio / Os::scaleFactor();
    // Normalized, so that a rectangle dragged backwards measures the same.
    const QRect r = selection().normalized();
    return QString("%1x%2")
        .arg(int(qAbs((r.right() + 1 - r.left()) * ratio)))
        .arg(int(qAbs((r.bottom() + 1 - r.top()) * ratio)));
}

void ScreenMeasurer::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bSelecting)
        return;
    ScreenCropper::mouseMoveEvent(event);
}

void ScreenMeasurer::mouseReleaseEvent(QMouseEvent*) { m_bSelecting = false; }

void ScreenMeasurer::enterEvent(QEvent*) { setCursorShape(Qt::CrossCursor); }

void ScreenMeasurer::leaveEvent(QEvent*) { setCursorShape(Qt::ArrowCursor); }

void ScreenMeasurer::changeEvent(QEvent* event) { QFrame::changeEvent(event); }

void ScreenMeasurer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(71, 71, 71));
    painter.drawRect(rect());
    painter.drawPixmap(rect(), m_pixShown);
    const QRect r = selection().normalized();
    // The rectangle stays after release until the next press.
    if (!m_bSelecting && m_ptStart == m_ptCurrent) {
        drawMessage(painter, 24, int(width() / 3.5));
        return;
    }
    painter.setPen(QPen(QColor(210, 210, 210), 1));
    painter.setBrush(QColor(10, 10, 80, 100));
    painter.drawRect(r);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QString text = measureText();
    const int w = qAbs(r.right() + 1 - r.left()), h = qAbs(r.bottom() + 1 - r.top());
    QFont font("Times");
    font.setWeight(QFont::Bold);
    font.setPointSizeF(qMax(1.0, w / 4.5));
    if (QFontMetrics(font).height() > h)
        font.setPointSizeF(qMax(1.0, h / 1.5));
    if (QFontMetrics(font).height() >= 9) {
        painter.setFont(font);
        painter.drawText(r, Qt::AlignCenter, text);
        return;
    }
    font.setPointSize(13);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int textWidth = metrics.horizontalAdvance(text), textHeight = metrics.height();
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRect(QPoint(r.left() - 2, r.top() - 3 - textHeight), QPoint(r.left() + textWidth + 1, r.top())));
    painter.setPen(QColor(210, 210, 210));
    painter.drawText(QPoint(r.left(), r.top() - 3), text);
}

} // namespace VUVararer
