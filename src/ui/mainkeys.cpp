#include "ui/mainkeys.h"

#include <Qt>

std::optional<MainKey> mainKeyFor(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return MainKey::Apply;
    case Qt::Key_Escape:
        return MainKey::Hide;
    case Qt::Key_Space:
        return MainKey::RandomApply;
    case Qt::Key_PageUp:
    case Qt::Key_Up:
        return MainKey::PreviousApply;
    case Qt::Key_PageDown:
    case Qt::Key_Down:
        return MainKey::NextApply;
    case Qt::Key_End:
        return MainKey::Last;
    case Qt::Key_Home:
        return MainKey::First;
    case Qt::Key_Left:
        return MainKey::Previous;
    case Qt::Key_Right:
        return MainKey::Next;
    case Qt::Key_Delete:
        return MainKey::Delete;
    case Qt::Key_F1:
        return MainKey::About;
    default:
        return std::nullopt;
    }
}
