// The About window: the product's name and version, and a link to its web
// page.
#pragma once

#include "ui/skin.h"

class TfHelp : public SkinWindow {
    Q_OBJECT
public:
    explicit TfHelp(QWidget* parent = nullptr);

private:
    SkinButton* iClose = nullptr;
    SkinButton* iUpdate = nullptr;
};
