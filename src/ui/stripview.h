// The main window's paint box `pb`: shows the strip buffer 1:1. On a screen
// of twice the density the strip is drawn at twice the size, and the current
// entry is decoded on a thread of its own at the monitor's pixel size so that
// the monitor shows more than its enlarged thumbnail.
#pragma once

#include "imaging/bitmap.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QWidget>

#include <string>

class Strip;

class StripView : public QWidget {
    Q_OBJECT
public:
    StripView(Strip& strip, QWidget* parent);
    /// Waits for a monitor picture that is being decoded.
    ~StripView() override;

    /// The picture `file` area-averaged to `width` x `height`; an empty bitmap
    /// when it cannot be decoded. Any thread.
    static Bitmap loadMonitorPicture(const std::string& file, int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The strip at the scale of the screen the window shows on.
    void followScale();
    // Starts decoding the monitor picture the strip wants, unless one runs.
    void requestMonitorPicture();
    void onMonitorPictureDone();

    Strip& m_strip;
    // One thread: the strip waits for no more than the picture being decoded.
    QThreadPool m_pool;
    QFutureWatcher<Bitmap> m_watcher;
    std::string m_loading; ///< the file being decoded, empty when none
};
