// The settings window: start at logon, the change at start-up and the three
// hotkeys, edited on copies and applied together.
#pragma once

#include "ui/skin.h"

class TfParam : public SkinWindow {
    Q_OBJECT
public:
    explicit TfParam(QWidget* parent = nullptr);

private:
    SkinButton* iClose = nullptr;
};
