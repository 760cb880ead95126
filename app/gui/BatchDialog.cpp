#include "BatchDialog.h"

#include "AppSettingsDialog.h"
#include "ErrorsDialog.h"

#include <core/ProductVariant.h>

#include <VUVararer/App.h>
#include <VUVararer/Label.h>
#include <VUVararer/Widgets/RoundProgress.h>
#include <VUVararer/Widgets/SimpleProgress.h>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QWidget* mainWidget()
{
    VUVararer::App* app = VUVararer::App::theApp();
    return app ? app->mainWidget() : nullptr;
}

QString onOff(bool bOn) { return bOn ? QStringLiteral("ON") : QStringLiteral("OFF"); }

QString qualityName(int quality)
{
    if (quality >= 86)
        return QStringLiteral("High");
    if (quality >= 32)
        return QStringLiteral("Medium");
    return QStringLiteral("Low");
}

} // namespace

BatchDialog::BatchDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QCoreApplication::applicationName() + tr(" Batch Process"));
    setMinimumWidth(500);

    m_pFileProgress = new VUVararer::SimpleProgress(this);
    m_pFileProgress->setText(QStringLiteral("ANALYZING"));
    m_pTotalProgress = new VUVararer::RoundProgress(this);

    m_pbtnPause = new QPushButton(tr("Pause"), this);
    m_pbtnPause->setCheckable(true);
    m_pbtnPause->setObjectName(QStringLiteral("BatchPauseButton"));
    m_pbtnStop = new QPushButton(tr("Stop"), this);
    m_pbtnStop->setObjectName(QStringLiteral("BatchStopButton"));
    m_pbtnClose = new QPushButton(tr("Close"), this);
    m_pbtnClose->setObjectName(QStringLiteral("BatchPauseButton"));
    m_pbtnClose->hide();
    m_pbtnErrors = new QPushButton(tr("One or more errors have occured!"), this);
    m_pbtnErrors->setObjectName(QStringLiteral("BatchStopButton"));
    m_pbtnErrors->hide();
    m_plblSummary = new VUVararer::Label(this);
    m_plblSummary->setObjectName(QStringLiteral("PreviewLabel"));

    connect(m_pbtnStop, SIGNAL(clicked()), this, SLOT(slotAccept()));
    connect(m_pbtnPause, SIGNAL(clicked()), this, SLOT(slotPause()));
    connect(m_pbtnStop, SIGNAL(clicked()), this, SLOT(slotStop()));
    connect(m_pbtnClose, SIGNAL(clicked()), this, SLOT(accept()));
    connect(m_pbtnErrors, SIGNAL(clicked()), this, SLOT(slotShowErrors()));
    connect(this, SIGNAL(rejected()), this, SLOT(slotStop()));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pbtnPause);
    buttons->addWidget(m_pbtnStop);
    buttons->addWidget(m_pbtnErrors);
    buttons->addWidget(m_pbtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_plblSummary);
    layout->addWidget(m_pTotalProgress);
    layout->addWidget(m_pFileProgress);
    layout->addLayout(buttons);
}

QString BatchDialog::settingsSummary()
{
    QString text;
    if (ProductVariant::kind() == ProductVariant::Wav) {
        text = QStringLiteral(
                   "<H2><CENTER>Conversion Settings</CENTER></H2><CENTER> <TABLE>    <TR>        <TD>Sample "
                   "Rate</TD><TD>: %1 Hz</TD>    </TR>    <TR>        <TD>Bits per Sample</TD><TD>: %2</TD>    "
                   "</TR>    <TR>        <TD>Channels</TD><TD>: %3</TD>    </TR>    <TR>        <TD>Volume level "
                   "normalization</TD><TD>: %4</TD>    </TR>    <TR>        <TD>Fade In & Out</TD><TD>: %5</TD>    "
                   "</TR>    <TR>        <TD>Trim silence from start and end</TD><TD>: %6</TD>    </TR></TABLE> "
                   "</CENTER>")
                   .arg(AppSettingsDialog::sampleRate())
                   .arg(AppSettingsDialog::bitsPerSample())
                   .arg(AppSettingsDialog::channels());
    } else {
        text = QStringLiteral(
                   "<H2><CENTER>Conversion Settings</CENTER></H2><CENTER> <TABLE>    <TR>        <TD>Sample "
                   "Rate</TD><TD>: %1 Hz</TD>    </TR>    <TR>        <TD>Bitrate</TD><TD>: %2 kbps</TD>    </TR>  "
                   "  <TR>        <TD>Quality</TD><TD>: %3</TD>    </TR>    <TR>        <TD>Volume level "
                   "normalization</TD><TD>: %4</TD>    </TR>    <TR>        <TD>Fade In & Out</TD><TD>: %5</TD>    "
                   "</TR>    <TR>        <TD>Trim silence from start and end</TD><TD>: %6</TD>    </TR></TABLE> "
                   "</CENTER>")
                   .arg(AppSettingsDialog::sampleRate())
                   .arg(AppSettingsDialog::bitRate() / 1000)
                   .arg(qualityName(AppSettingsDialog::quality()));
    }
    return text.arg(onOff(AppSettingsDialog::normalizationActive()), onOff(AppSettingsDialog::fadeInOutActive()),
                    onOff(AppSettingsDialog::trimSilenceActive()));
}

void BatchDialog::showEvent(QShowEvent* event)
{
    m_pbtnPause->setChecked(false);
    m_pbtnPause->setText(tr("Pause"));
    m_pFileProgress->setValue(0);
    m_plblSummary->setRetinaPixmap(QPixmap());
    m_plblSummary->setText(settingsSummary());
    QDialog::showEvent(event);
}

void BatchDialog::slotPause()
{
    if (m_pbtnPause->isChecked()) {
        m_pbtnPause->setText(tr("Resume"));
        emit paused(true);
    } else {
        m_pbtnPause->setText(tr("Pause"));
        emit paused(false);
    }
}

void BatchDialog::slotStop() { emit stop(); }

void BatchDialog::slotAccept() { accept(); }

void BatchDialog::slotShowCurrentFile(const QString& text)
{
    if (!m_bStopping)
        m_pFileProgress->setText(text);
}

void BatchDialog::slotFileProgressChanged(int value) { m_pFileProgress->setValue(value); }

void BatchDialog::slotProgressChanged(int value)
{
    m_pFileProgress->setValue(value);
    m_pTotalProgress->setValue(value);
    if (value >= 100) {
        m_pbtnClose->show();
        m_pbtnStop->hide();
        m_pbtnPause->hide();
        m_pFileProgress->setText(QStringLiteral("DONE"));
    }
}

void BatchDialog::slotShowStopping()
{
    m_pbtnPause->hide();
    m_pbtnStop->hide();
    m_bStopping = true;
    m_pFileProgress->setText(tr("STOPPING…"));
    m_pFileProgress->update();
}

void BatchDialog::slotSetErrors(const QString& text)
{
    m_strErrors = text;
    m_pbtnErrors->show();
}

void BatchDialog::slotShowErrors()
{
    auto* dialog = new ErrorsDialog(mainWidget());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setText(m_strErrors);
    dialog->resize(width(), height() / 3);
    dialog->exec();
}

void BatchDialog::slotNotEnoughtFreeSpace()
{
    m_pFileProgress->setText(QStringLiteral("NOT ENOUGH FREE SPACE"));
    {
        const QSignalBlocker blocker(m_pbtnPause);
        m_pbtnPause->setChecked(true);
        m_pbtnPause->setText(tr("Resume"));
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Not enough free space"),
                    QStringLiteral("<H3>Not enough free space</H3>Conversion paused.<br>Free up space and click "
                                   "\"Resume\".<br>To stop conversion, click \"Stop\"."),
                    QMessageBox::Ok, mainWidget());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
