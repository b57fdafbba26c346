// Runs Debian's LV2 tools and vrn07-render on the built bundle and plug-in, each in the
// test's own folder, with LV2_PATH naming only the built bundle's folder.
#pragma once

#include <string>
#include <vector>

struct ToolResult
{
    int status;
    std::string out;
};

// Runs a program with its arguments (no shell between), answering its exit status and what
// it printed on standard output; standard error goes to the test's log.
ToolResult runTool(const std::vector<std::string>& command);

// The text of a file, empty when it cannot be read.
std::string textOf(const std::string& path);
