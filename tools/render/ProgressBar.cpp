#include "tools/render/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace
{
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar(int64_t totalFrames)
    : total_(totalFrames), enabled_(totalFrames > 0 && isatty(STDERR_FILENO))
{
}

ProgressBar::~ProgressBar()
{
    if (shownPercent_ >= 0)
        std::fputc('\n', stderr);
}

void ProgressBar::advance(int64_t frames)
{
    if (!enabled_)
        return;
    const std::lock_guard<std::mutex> lock(mutex_);
    done_ = std::min(total_, done_ + frames);
    show(std::min(99, int(done_ * 100 / total_)));
}

void ProgressBar::complete()
{
    if (!enabled_)
        return;
    const std::lock_guard<std::mutex> lock(mutex_);
    show(100);
}

void ProgressBar::show(int percent)
{
    if (percent == shownPercent_)
        return;
    const int filled = percent * kBarWidth / 100;
    char bar[kBarWidth + 1];
    std::fill(bar, bar + filled, '#');
    std::fill(bar + filled, bar + kBarWidth, '.');
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
    std::fflush(stderr);
    shownPercent_ = percent;
}
