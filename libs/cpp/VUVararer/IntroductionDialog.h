#pragma once
// The introduction: a slide show of pictures with numbered buttons, skip and video buttons.

#include <QDialog>
#include <QFrame>
#include <QPixmap>
#include <QUrl>

#include <functional>

class QButtonGroup;
class QHBoxLayout;
class QPushButton;
class QTimer;

namespace VUVararer {

// Paints one slide centred on black, keeping its aspect ratio; nothing at all without a slide.
class HelpDisplay : public QFrame
{
    Q_OBJECT

public:
    explicit HelpDisplay(QWidget* parent = nullptr);
    void setSlide(const QString& path);
    QString slide() const { return m_strSlide; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strSlide;
    QString m_strLoaded;
    QPixmap m_pixLoaded;
};

// The display, a row of numbered slide buttons and the timer that advances the show every 5 s.
class HelpViewArea : public QFrame
{
    Q_OBJECT

public:
    explicit HelpViewArea(QWidget* parent = nullptr);
    void addSlide(const QString& path);
    static QPushButton* applyItemButtonProperties(QPushButton* button, const QString& objectName);
    HelpDisplay* display() const { return m_pDisplay; }

public slots:
    void slotShowSlide(const QString& path);
    // Checks the next button, wrapping around; the first one when none is checked.
    void slotShowNextSlide();
    // Checks the first button when none is checked, then starts the timer.
    void slotStartSlideShow();
    void slotStopSlideShow();

private:
    QTimer* m_pTimer = nullptr;
    HelpDisplay* m_pDisplay = nullptr;
    QHBoxLayout* m_phblButtons = nullptr;
    QButtonGroup* m_pGroup = nullptr;
    int m_nSlides = 0;
};

class HelpDialog : public QDialog
{
    Q_OBJECT

public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit HelpDialog(QWidget* parent = nullptr);
    void addSlide(const QString& path);
    // Shows the video button for a non-empty link, except in kids mode.
    void setVideoLink(const QString& link);
    // Keeps the skip button hidden.
    void noNeverShowButton() { m_bNoNeverShowButton = true; }
    // False once the user chose to always skip the introduction.
    static bool isShowOnStartAvailable();
    // folder + "Slide1_<lang>.jpg" .. "Slide8_<lang>.jpg"; lang is "en" unless the language has its own slides.
    static QStringList slidesFor(const QString& folder, const QString& language);
    // Test seam: how links are opened (the frame's link helper by default).
    void setUrlOpener(const UrlOpener& opener) { m_opener = opener; }

public slots:
    void slotReject();
    void slotNeverShowItAgain();
    // Opens the video link; when that fails, the maker's video page for it, then the support page.
    void slotWatchVideo();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPushButton* m_pbtnNeverShow = nullptr;
    HelpViewArea* m_pViewArea = nullptr;
    bool m_bNoNeverShowButton = false;
    QPushButton* m_pbtnVideo = nullptr;
    QString m_strVideoLink;
    UrlOpener m_opener;
};

} // namespace VUVararer
