// A choice among named entries, shown as the current entry's text. This toolkit has no
// pop-up: a press steps to the next entry, wrapping around. The value is the entry index.
#pragma once

#include <string>
#include <vector>

#include "gui/CParamDisplay.h"

class COptionMenu : public CParamDisplay
{
  public:
    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                CBitmap* background = nullptr);

    // Appends an entry (null counts as empty); the maximum follows the entry count.
    void addEntry(const char* text);
    int32_t getNbEntries() const { return int32_t(entries_.size()); }
    // The entry's text, or null for an index out of range.
    const char* getEntry(int32_t index) const;
    // The index the value selects, within the entries.
    int32_t getCurrentIndex() const;

    void draw(CDrawContext* context) override;
    void onMouseDown(CDrawContext* context, CPoint where, int32_t buttons) override;
    bool isClass(const char* name) const override;

  private:
    std::vector<std::string> entries_;
};
