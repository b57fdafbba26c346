#include "editor/InformationDocument.h"

#include "gui/platform/DocumentOpener.h"

#include <utility>

namespace
{
// The composed path goes to the system as a C string of at most this many bytes.
constexpr size_t kDocumentPathBytes = 256;
constexpr char kDocumentFolder[] = "documents";
constexpr char kDocumentFile[] = "index.htm";
#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
} // namespace

CInformationDocument::CInformationDocument(std::string modulePath)
    : modulePath_(std::move(modulePath))
{
}

std::string CInformationDocument::documentPath(const std::string& modulePath, char separator)
{
    if (modulePath.empty() || modulePath.find('\0') != std::string::npos)
    {
        return {};
    }
    const size_t lastSeparator = modulePath.rfind(separator);
    std::string path =
        lastSeparator == std::string::npos ? modulePath : modulePath.substr(0, lastSeparator + 1);
    path += kDocumentFolder;
    path += separator;
    path += kDocumentFile;
    if (path.size() >= kDocumentPathBytes)
    {
        return {};
    }
    return path;
}

void CInformationDocument::open() const
{
    const std::string path = documentPath(modulePath_, kSeparator);
    if (!path.empty())
        platform::openDocument(path, opener_);
}
