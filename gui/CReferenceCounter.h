// The reference count shared by views, bitmaps and drawing contexts.
#pragma once

#include <cstdint>

class CReferenceCounter
{
  public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() = default;

    // Drops one reference and destroys the object when it was the last one.
    virtual void release()
    {
        if (--references_ == 0)
        {
            delete this;
        }
    }
    virtual void retain() { ++references_; }
    int32_t getNbReference() const { return references_; }

  private:
    int32_t references_ = 1;
};
