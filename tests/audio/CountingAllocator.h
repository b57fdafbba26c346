// Replaces the process's operator new and delete with versions that count allocations while
// counting is on; a test program that links CountingAllocator.cpp proves a code path
// allocates nothing.
#pragma once

namespace allocationCount
{
// Starts counting from zero.
void start();
// Stops counting and returns the allocations made since start().
int stop();
} // namespace allocationCount
