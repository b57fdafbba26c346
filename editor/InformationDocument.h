// The information button's document: the user manual in a "documents" folder beside the
// plug-in module, or, where there is none, in the "VRN-07" folder beside the module, opened
// with whatever program the system associates with it.
#pragma once

#include <string>
#include <utility>

class CInformationDocument
{
  public:
    explicit CInformationDocument(std::string modulePath);

    // "documents<separator>index.htm" in place of everything after the module path's last
    // separator, or behind the whole path when it has none. Empty when the module path is
    // empty or holds a NUL, and when the result would not fit 255 characters.
    static std::string documentPath(const std::string& modulePath, char separator);
    // The same in the "VRN-07" folder beside the module.
    static std::string productFolderDocumentPath(const std::string& modulePath, char separator);

    const std::string& modulePath() const { return modulePath_; }
    // Opens the document, without waiting for it; a missing document, a
    // module path that gives none, or a failing opener has no effect.
    void open() const;

    // The program started with the document's path as its only argument where the system
    // has no association of its own (not on Windows).
    void setOpener(std::string program) { opener_ = std::move(program); }

  private:
    std::string modulePath_;
    std::string opener_ = "xdg-open";
};
