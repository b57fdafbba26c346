// Counts the calls running on an object's stack, such as a host's calls into a plug-in's user
// interface. Such a call may call the host, and the host may close or
// destroy the object from inside that call; whatever ends the object has to wait until the
// outermost call has returned and nothing on the stack uses it any more.
#pragma once

#include <utility>

class CallDepth
{
  public:
    // Marks one call for its life. The last one to end runs what was deferred to it, which
    // may destroy the object that holds the depth.
    class Scope
    {
      public:
        explicit Scope(CallDepth& depth) : depth_(depth) { ++depth_.calls_; }
        ~Scope()
        {
            if (--depth_.calls_ > 0 || depth_.deferred_ == nullptr)
                return;
            void* const object = depth_.object_;
            std::exchange(depth_.deferred_, nullptr)(object);
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        CallDepth& depth_;
    };

    bool busy() const { return calls_ > 0; }

    // Runs finish(object) now when no call is running, otherwise when the outermost returns.
    void afterCalls(void (*finish)(void*), void* object)
    {
        if (!busy())
        {
            finish(object);
            return;
        }
        deferred_ = finish;
        object_ = object;
    }

  private:
    int calls_ = 0;
    void (*deferred_)(void*) = nullptr;
    void* object_ = nullptr;
};
