// The About window: the product's name and version, and a link to its web
// page.
#pragma once

#include "ui/skin.h"

#include <QUrl>

class AboutWindow : public SkinWindow {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    /// The product's web page, which the update link opens.
    static QUrl homePage();

    /// Opens the product's web page in the desktop's browser; the window
    /// stays open, and a failure shows nothing.
    void openHomePage();

private:
    SkinButton* m_iClose = nullptr;
    SkinButton* m_iUpdate = nullptr;
};
