// The information button's document: the user manual in a "documents" folder beside the
// plug-in module, opened with whatever program the system associates with it.
#pragma once

#include <string>
#include <utility>

class CInformationDocument
{
  public:
    explicit CInformationDocument(std::string modulePath);

    // The file path of the plug-in module this code is in; empty when the system does not
    // tell it (or it does not fit the system's 260-byte path buffer on Windows).
    static std::string currentModulePath();
    // "documents<separator>index.htm" in place of everything after the module path's last
    // separator, or behind the whole path when it has none. Empty when the module path is
    // empty or holds a NUL, and when the result would not fit 255 characters.
    static std::string documentPath(const std::string& modulePath, char separator);

    const std::string& modulePath() const { return modulePath_; }
    // Opens the document beside the module, without waiting for it; a missing document, a
    // module path that gives none, or a failing opener has no effect.
    void open() const;

#if !defined(_WIN32)
    // The program started with the document's path as its only argument, looked up in PATH
    // when it holds no '/'.
    void setOpener(std::string program)
    {
        opener_ = std::move(program);
    }

    // Starts program with the one argument, without a shell, in a session of its own with
    // default signal handling, and returns once it has started: an intermediate process
    // starts it and exits, so nothing is left to reap. False when it could not be started.
    static bool spawnDetached(const std::string& program, const std::string& argument);
#endif

  private:
    std::string modulePath_;
#if !defined(_WIN32)
    std::string opener_ = "xdg-open";
#endif
};
