#pragma once
// The conversion settings dialog; its static getters (inherited) are how the rest of the program reads them.

#include <core/ConversionSettings.h>

#include <QDialog>
#include <QVariant>

class DecoratedDial;
class FadeWidget;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLCDNumber;
class QPushButton;

class AppSettingsDialog : public QDialog, public ConversionSettings
{
    Q_OBJECT

public:
    explicit AppSettingsDialog(QWidget* parent = nullptr);

    QWidget* generalTab();
    QWidget* effectsTab();
    // A page with only the "After Conversion" group; its check boxes replace the general page's ones.
    QWidget* miscTab();

public slots:
    // Writes every key in a fixed order, then accepts.
    void slotSaveSettings();
    void slotLoadSettings();
    // Does nothing.
    void slotGotoFilesLocation();
    // Keep the sample rate and the bit rate compatible ("m4a" only).
    void slotSampleRateChanged();
    void slotBitRateChanged();

protected:
    void showEvent(QShowEvent* event) override;
    // Stores one setting; the save step's only way out.
    virtual void storeValue(const char* key, const QVariant& value);

private:
    void buildAfterConversionGroup();

    QPushButton* m_pbtnOk = nullptr;
    QPushButton* m_pbtnCancel = nullptr;
    QComboBox* m_pcbxChannels = nullptr;
    QComboBox* m_pcbxBitsPerSample = nullptr;
    QComboBox* m_pcbxSampleRate = nullptr;
    QComboBox* m_pcbxFormat = nullptr;
    QComboBox* m_pcbxBitRate = nullptr;
    QComboBox* m_pcbxQuality = nullptr;
    QLabel* m_plblBitRate = nullptr;
    QLabel* m_plblBitsPerSample = nullptr;
    QLabel* m_plblChannels = nullptr;
    QLabel* m_plblQuality = nullptr;
    QGroupBox* m_pgbxFormatSettings = nullptr;
    QGroupBox* m_pgbxSourceDestination = nullptr;
    QGroupBox* m_pgbxAfterConversion = nullptr;
    QCheckBox* m_pchbCopyMetaTags = nullptr;
    QCheckBox* m_pchbCopyImages = nullptr;
    QCheckBox* m_pchbCopyTexts = nullptr;
    QCheckBox* m_pchbCopyEntireContent = nullptr;
    QCheckBox* m_pchbFolderStructure = nullptr;
    QCheckBox* m_pchbPlaySound = nullptr;
    QCheckBox* m_pchbOpenFolder = nullptr;
    QCheckBox* m_pchbClearList = nullptr;
    QGroupBox* m_pgbxNormalization = nullptr;
    QGroupBox* m_pgbxFade = nullptr;
    DecoratedDial* m_pdialNormalization = nullptr;
    QLCDNumber* m_plcdNormalization = nullptr;
    FadeWidget* m_pFadeIn = nullptr;
    FadeWidget* m_pFadeOut = nullptr;
    QCheckBox* m_pchbTrimSilence = nullptr;
};
