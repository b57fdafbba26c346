// The base of the views that hold a value the user changes: it tells its listener of every
// change and brackets each gesture with beginEdit / endEdit.
#pragma once

#include <atomic>

#include "gui/CView.h"

class CControlListener;

class CControl : public CView
{
  public:
    CControl(const CRect& size, CControlListener* listener, int32_t tag,
             CBitmap* background = nullptr);

    // Asks the frame to keep the host alive during a drag.
    virtual void idlePump();
    // Only stores the value: safe from any thread. Non-finite values are ignored.
    virtual void setValue(float value);
    virtual float getValue() const { return value_.load(std::memory_order_relaxed); }
    virtual void setMin(float min) { min_ = min; }
    virtual float getMin() const { return min_; }
    virtual void setMax(float max) { max_ = max; }
    virtual float getMax() const { return max_; }
    virtual void setDrawnValue(float value) { drawnValue_ = value; }
    virtual float getDrawnValue() const { return drawnValue_; }
    virtual void setDefaultValue(float value) { defaultValue_ = value; }
    virtual float getDefaultValue() const { return defaultValue_; }
    virtual void setTag(int32_t tag) { tag_ = tag; }
    virtual int32_t getTag() const { return tag_; }
    // Makes the control the focus view and tells the editor a gesture starts.
    virtual void beginEdit();
    virtual void endEdit();
    virtual void setBackgroundOffset(const CPoint& offset) { backOffset_ = offset; }
    // The back offset becomes the rectangle's top-left.
    virtual void backOffsetFromRect(const CRect& rect) { backOffset_ = rect.topLeft(); }
    virtual void setWheelStep(float step) { wheelStep_ = step; }
    virtual float getWheelStep() const { return wheelStep_; }
    // Keeps the value within min..max.
    virtual void clampValue();
    // Control-click, or a double click within the interval, restores the default value
    // (true); a single click only remembers its time.
    virtual bool resetOnDoubleClick(CDrawContext* context, int32_t buttons);

    // Dirty while the value differs from the value last drawn, or when marked.
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    void draw(CDrawContext* context) override = 0;
    bool isClass(const char* name) const override;

    CControlListener* getListener() const { return listener_; }

  protected:
    // The checks every mouse handler starts with: mouse enabled, the left button down, no
    // modifier click taken by the listener. Reads the buttons when given -1.
    bool startPress(CDrawContext* context, int32_t& buttons);
    // The mouse-button word now.
    static int32_t readButtons(CDrawContext* context);
    // The buttons a drag loop goes on with: none once the frame is retired, so that a
    // gesture ends when the editor is closed under it.
    int32_t trackedButtons(CDrawContext* context) const;
    // Tells the listener of a change when the control is dirty.
    void notifyIfDirty(CDrawContext* context);
    void notify(CDrawContext* context);
    void setValueUnchecked(float value) { value_.store(value, std::memory_order_relaxed); }

    CControlListener* listener_;
    int32_t tag_;
    CPoint backOffset_;

  private:
    float drawnValue_ = 1.0f;
    float defaultValue_ = 0.5f;
    std::atomic<float> value_{0.0f};
    float min_ = 0.0f;
    float max_ = 1.0f;
    float wheelStep_ = 0.1f;
    int32_t lastClickTicks_ = -1;
    int32_t doubleClickInterval_;
};
