#pragma once
// The dialog that accompanies a conversion run: settings summary, total and file progress, Pause, Stop, errors.

#include <QDialog>
#include <QString>

class QPushButton;

namespace VUVararer {
class Label;
class RoundProgress;
class SimpleProgress;
} // namespace VUVararer

class BatchDialog : public QDialog
{
    Q_OBJECT

public:
    explicit BatchDialog(QWidget* parent = nullptr);

    // The summary of the stored conversion settings for the product variant, as rich text.
    static QString settingsSummary();

signals:
    void stop();
    void paused(bool bPaused);

public slots:
    void slotPause();
    void slotStop();
    void slotProgressChanged(int value);
    void slotFileProgressChanged(int value);
    void slotAccept();
    void slotShowCurrentFile(const QString& text);
    void slotSetErrors(const QString& text);
    // Opens the errors log modally; it deletes itself when closed.
    void slotShowErrors();
    // Shows that the worker paused itself for lack of space, without emitting paused().
    void slotNotEnoughtFreeSpace();
    // Shows that the run is being stopped for good: no Pause or Stop, "STOPPING…" until the run ends.
    void slotShowStopping();

protected:
    void showEvent(QShowEvent* event) override;

private:
    VUVararer::SimpleProgress* m_pFileProgress = nullptr;
    VUVararer::RoundProgress* m_pTotalProgress = nullptr;
    QPushButton* m_pbtnPause = nullptr;
    QPushButton* m_pbtnStop = nullptr;
    QPushButton* m_pbtnClose = nullptr;
    QPushButton* m_pbtnErrors = nullptr;
    VUVararer::Label* m_plblSummary = nullptr;
    QString m_strErrors;
    bool m_bStopping = false;
};
