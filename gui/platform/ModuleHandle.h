#pragma once

// The operating system's handle of the loaded plug-in library (the module instance on
// Windows, the load address on Linux); used to find resources and files beside it.
void* moduleHandle();
