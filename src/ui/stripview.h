// The main window's paint box `pb`: shows the strip buffer 1:1.
#pragma once

#include <QWidget>

class Strip;

class StripView : public QWidget {
    Q_OBJECT
public:
    StripView(const Strip& strip, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Strip& m_strip;
};
