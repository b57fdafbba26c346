// A progress bar on standard error, drawn only when standard error is a terminal and the
// total is known.
#pragma once

#include <cstdint>

class ProgressBar
{
  public:
    explicit ProgressBar(int64_t totalFrames);
    // Ends the bar's line, so that whatever is printed next starts on a line of its own.
    ~ProgressBar();

    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void advance(int64_t frames);

  private:
    void draw(int percent);

    int64_t total_;
    int64_t done_ = 0;
    int shownPercent_ = -1;
    bool enabled_;
};
