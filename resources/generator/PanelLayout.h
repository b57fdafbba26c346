// Where things sit on the panel: the controls as the editor places them from the control
// table, and the framed sections and captions the background draws around them.
#pragma once

#include "engine/ControlTable.h"
#include "resources/generator/Canvas.h"
#include "resources/generator/TextRenderer.h"

#include <string>
#include <vector>

constexpr int kPanelWidth = 754;
constexpr int kPanelHeight = 374;

// The row of a view that is not a parameter ("VuMeter", "LowRedMeter", ...), or the
// placeholder row.
const ControlRow& rowNamed(const char* name);
// The rectangle of the row's control: its table position and one image of its bitmap.
Box controlBox(const ControlRow& row);
// The value display under a knob; an empty box for rows without one.
Box valueDisplayBox(const ControlRow& row);
// The information button in the lower right corner.
Box infoButtonBox();
// The row of the groove between the bypass and reset buttons.
float bypassResetGrooveY();
// The true-peak ceiling's knob, caption, value and gain reduction, in the editions that carry
// it; the background leaves their place empty.
std::vector<Box> ceilingBoxes();

enum class CaptionStyle
{
    Header, // band and section headings
    Label,  // a control's name
    Note,   // a quieter line of explanation
    Scale,  // switch positions
};

TextStyle captionTextStyle(CaptionStyle style);

struct Caption
{
    std::string text;
    Box box; // the text fits inside, aligned as given
    CaptionStyle style;
    Align align;
};

// The framed areas that group the controls.
std::vector<Box> panelSections();
std::vector<Caption> panelCaptions();
// Everything a caption must stay clear of: control rectangles, value displays, the
// information button and the ceiling's place.
std::vector<Box> occupiedBoxes();
