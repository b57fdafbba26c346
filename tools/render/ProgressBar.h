// A progress bar on standard error, drawn only when standard error is a terminal and the
// total is known. Any thread may advance it.
#pragma once

#include <cstdint>
#include <mutex>

class ProgressBar
{
  public:
    // totalFrames: the frames all the work plays, or an estimate of them; the bar stops at
    // 99 % until complete() is called.
    explicit ProgressBar(int64_t totalFrames);
    // Ends the bar's line, so that whatever is printed next starts on a line of its own.
    ~ProgressBar();

    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void advance(int64_t frames);
    // Shows the work done.
    void complete();

  private:
    void show(int percent);

    std::mutex mutex_;
    int64_t total_;
    int64_t done_ = 0;
    int shownPercent_ = -1;
    bool enabled_;
};
