// The splash picture: shown when the timer starts, for at least 1000 ms,
// closed at the first tick after that or at a left click on it.
#pragma once

#include <QElapsedTimer>
#include <QPixmap>
#include <QWidget>

namespace kestrel
{

constexpr int kSplashMinimumMs = 1000;

class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SplashWindow(const QPixmap &picture);
    // Centred on the screen that holds the point (the main window's left edge).
    void ShowCentredOn(QPoint mainLeftTop);
    qint64 ShownMs() const { return m_clock.isValid() ? m_clock.elapsed() : 0; }
    // The timer-tick rule: closes once more than the minimum time has passed.
    bool CloseIfDue();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;

private:
    QPixmap m_picture;
    QElapsedTimer m_clock;
};

} // namespace kestrel
