// The editor builds its panel at run time from the loaded bitmaps; the artwork generator drew
// the background for the boxes it computes from its own artwork. Both must agree on every
// control, value display and the information button, or a control sits off its drawing.
#include "resources/generator/PanelLayout.h"
#include "tests/editor/EditorFixture.h"

#include "gui/CParamDisplay.h"

namespace
{
CRect rectOf(const Box& box)
{
    return CRect{int32_t(box.left), int32_t(box.top), int32_t(box.right), int32_t(box.bottom)};
}

bool sameRect(const CRect& a, const CRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST_F(HeadlessEditor, PlacesEveryControlWhereTheGeneratorDrewIt)
{
    ASSERT_TRUE(open());
    int controls = 0;
    for (const ControlRow& row : kControlTable)
    {
        if (row.name == nullptr)
            break;
        if (row.id <= 0)
            continue;
        ++controls;
        ASSERT_NE(editor().control(row.id), nullptr) << row.name;
        EXPECT_TRUE(sameRect(editor().control(row.id)->getSize(), rectOf(controlBox(row))))
            << row.name;
        const CParamDisplay* display = editor().valueDisplay(row.id);
        const CRect shown = display ? display->getSize() : CRect{};
        EXPECT_TRUE(sameRect(shown, rectOf(valueDisplayBox(row)))) << row.name;
    }
    EXPECT_EQ(controls, 24);
    const CRect information = frame()->childAt(frame()->childCount() - 1)->getSize();
    EXPECT_TRUE(sameRect(information, rectOf(infoButtonBox())));
}
