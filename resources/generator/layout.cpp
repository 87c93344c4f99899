// Where the controls of the four skinned windows stand (left, top, width, height), and
// where a lit picture's glyph must stand so that it lines up with the normal one.
#include "skin.h"

#include <cstring>

namespace skin {

const WindowLayout& MainLayout() {
    static const WindowLayout layout{
        "imgInterface",
        "Quorvane",
        {799, 434},
        {800, 435},
        {
            {"pb", "", {0, 119, 800, 180}, Kind::Strip},
            {"lbNum", "", {97, 50, 604, 16}, Kind::Label},
            {"iParam", "iParam", {326, 382, 41, 53}, Kind::Button},
            {"iClose", "iClose", {747, 0, 31, 29}, Kind::Button},
            {"iMinimize", "iMinimize", {711, 0, 36, 29}, Kind::Button},
            {"iNext", "iNext", {192, 386, 57, 49}, Kind::Button},
            {"iBack", "iBack", {76, 386, 60, 49}, Kind::Button},
            {"iRandom", "iRandom", {134, 386, 60, 49}, Kind::Button},
            {"iApply", "iApply", {366, 381, 71, 53}, Kind::Button},
            {"lbFile", "", {97, 70, 604, 16}, Kind::Label},
            {"lbDir", "", {97, 90, 604, 16}, Kind::Label},
            {"imgBlick", "", {91, 42, 370, 50}, Kind::Glare},
            {"lbHour", "", {520, 382, 16, 13}, Kind::Label},
            {"lbMin", "", {741, 382, 16, 13}, Kind::Label},
            {"iEnd", "iEnd", {248, 386, 57, 49}, Kind::Button},
            {"iBegin", "iBegin", {22, 386, 57, 49}, Kind::Button},
            {"iHelp", "iHelp", {435, 382, 41, 53}, Kind::Button},
            {"iRandomSelect", "", {640, 378, 71, 23}, Kind::Switch},
            {"iAutomaticallyChange", "", {566, 378, 71, 23}, Kind::Switch},
            {"iDecHour", "iMinus", {496, 378, 18, 21}, Kind::Button},
            {"iDecMin", "iMinus", {717, 378, 18, 21}, Kind::Button},
            {"iIncHour", "iPlus", {542, 378, 18, 21}, Kind::Button},
            {"iIncMin", "iPlus", {763, 378, 18, 21}, Kind::Button},
            {"iManager", "iManager", {714, 67, 78, 32}, Kind::Button},
        },
    };
    return layout;
}

const WindowLayout& ManagerLayout() {
    static const WindowLayout layout{
        "imgInterfacePicManager",
        QT_TRANSLATE_NOOP("Skin", "Manager"),
        {569, 388},
        {570, 389},
        {
            {"iClose", "iClose", {233, 361, 103, 27}, Kind::Button},
            {"iFile", "iFile", {24, 291, 76, 36}, Kind::Button},
            {"iDir", "iDir", {125, 291, 76, 36}, Kind::Button},
            {"iDel", "iDel", {369, 291, 76, 36}, Kind::Button},
            {"iClear", "iClear", {470, 291, 76, 36}, Kind::Button},
            {"iPreview", "", {240, 270, 89, 66}, Kind::Preview},
            {"lbPic", "", {11, 45, 546, 212}, Kind::Field},
        },
    };
    return layout;
}

const WindowLayout& SettingsLayout() {
    static const WindowLayout layout{
        "imgInterfaceParam",
        QT_TRANSLATE_NOOP("Skin", "Settings"),
        {397, 300},
        {397, 300},
        {
            {"iLoadWithWindows", "", {8, 48, 73, 25}, Kind::Switch},
            {"iChangeWithStart", "", {8, 88, 73, 25}, Kind::Switch},
            {"iClose", "iClose", {206, 272, 105, 27}, Kind::Button},
            {"iApplySmall", "iApplySmall", {86, 272, 105, 27}, Kind::Button},
            {"iUseGlobalKey", "", {8, 128, 73, 25}, Kind::Switch},
            {"iClearmini1", "iClearmini", {354, 160, 19, 23}, Kind::Button},
            {"iClearmini2", "iClearmini", {354, 190, 19, 23}, Kind::Button},
            {"iClearmini3", "iClearmini", {354, 221, 19, 23}, Kind::Button},
            {"edt1", "", {193, 164, 155, 15}, Kind::Field},
            {"edt2", "", {193, 194, 155, 15}, Kind::Field},
            {"edt3", "", {193, 224, 155, 15}, Kind::Field},
        },
    };
    return layout;
}

const WindowLayout& AboutLayout() {
    static const WindowLayout layout{
        "imgInterfaceHelp",
        QT_TRANSLATE_NOOP("Skin", "About"),
        {397, 174},
        {397, 174},
        {
            {"iClose", "iClose", {146, 144, 103, 30}, Kind::Button},
            {"iUpdate", "iUpdate", {9, 98, 72, 16}, Kind::Button},
        },
    };
    return layout;
}

const std::vector<const WindowLayout*>& Layouts() {
    static const std::vector<const WindowLayout*> all{&MainLayout(), &ManagerLayout(),
                                                      &SettingsLayout(), &AboutLayout()};
    return all;
}

QPoint CentredIn(const QRect& r, QSize picture) {
    return {r.left() + (r.width() - picture.width()) / 2,
            r.top() + (r.height() - picture.height()) / 2};
}

bool LitOffset(const ButtonPicture& b, QPoint& offset) {
    bool found = false;
    for (const WindowLayout* w : Layouts())
        for (const Control& c : w->controls) {
            if (c.kind != Kind::Button || std::strcmp(c.picture, b.name) != 0)
                continue;
            const QPoint o = CentredIn(c.rect, b.normal) - CentredIn(c.rect, b.lit);
            if (found && o != offset)
                return false;
            offset = o;
            found = true;
        }
    if (!found) // not shown anywhere: the glyph in the middle
        offset = {(b.lit.width() - b.normal.width()) / 2, (b.lit.height() - b.normal.height()) / 2};
    return true;
}

} // namespace skin
