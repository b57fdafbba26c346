// The editor window's drop target refuses every drag.
#include <gtest/gtest.h>

#include "gui/platform/win32/DropTarget.h"

TEST(DropTarget, AnswersForItsTwoInterfacesOnly)
{
    auto* target = new DropTarget;
    void* found = nullptr;
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, &found), S_OK);
    EXPECT_EQ(found, static_cast<IDropTarget*>(target));
    EXPECT_EQ(target->QueryInterface(IID_IUnknown, &found), S_OK);
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &found), E_NOINTERFACE);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(target->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    // Made with one reference, two added by the answers above.
    EXPECT_EQ(target->Release(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(target->Release(), 0u);
}

TEST(DropTarget, TellsTheSourceThatNothingWasCopiedOrMoved)
{
    auto* target = new DropTarget;
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(nullptr, MK_LBUTTON, {10, 10}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, {12, 10}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(nullptr, 0, {12, 10}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragOver(0, {0, 0}, nullptr), S_OK);
    EXPECT_EQ(target->DragLeave(), S_OK);
    target->Release();
}
