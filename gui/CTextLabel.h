// A fixed text drawn like a value display.
#pragma once

#include <string>

#include "gui/CParamDisplay.h"

class CTextLabel : public CParamDisplay
{
  public:
    CTextLabel(const CRect& size, const char* text = nullptr);

    // Keeps a copy; null clears the text.
    void setText(const char* text);
    const char* getText() const { return text_.c_str(); }

    void draw(CDrawContext* context) override;
    bool isClass(const char* name) const override;

  private:
    std::string text_;
};
