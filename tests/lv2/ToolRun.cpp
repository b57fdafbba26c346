#include "tests/lv2/ToolRun.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace
{
std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
} // namespace

ToolResult runTool(const std::vector<std::string>& command)
{
    std::string line = "env";
    for (const std::string& argument : std::vector<std::string>{"LV2_PATH=" VRN07_LV2_PATH})
        line.append(" ").append(shellQuoted(argument));
    for (const std::string& argument : command)
        line.append(" ").append(shellQuoted(argument));
    ToolResult result{-1, {}};
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    while (const size_t read = fread(buffer, 1, sizeof(buffer), pipe))
        result.out.append(buffer, read);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string textOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
