// The one kind of failure the offline host reports: a one-line message naming the problem.
#pragma once

#include <stdexcept>

class RenderError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};
