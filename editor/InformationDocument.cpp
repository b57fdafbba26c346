#include "editor/InformationDocument.h"

#include "gui/platform/DocumentOpener.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace
{
// The composed path goes to the system as a C string of at most this many bytes.
constexpr size_t kDocumentPathBytes = 256;
constexpr char kDocumentFolder[] = "documents";
constexpr char kDocumentFile[] = "index.htm";
// Where the module sits in a folder it shares with other makers' plug-ins (the CLAP folder),
// its documents are in a folder of the product's own beside it.
constexpr char kProductFolder[] = "VRN-07";
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

std::string CInformationDocument::productFolderDocumentPath(const std::string& modulePath,
                                                            char separator)
{
    const size_t lastSeparator = modulePath.rfind(separator);
    const std::string folder =
        lastSeparator == std::string::npos ? "" : modulePath.substr(0, lastSeparator + 1);
    return documentPath(folder + kProductFolder + separator + kDocumentFile, separator);
}

void CInformationDocument::open() const
{
    std::string path = documentPath(modulePath_, kSeparator);
    std::error_code error;
    if (!path.empty() && !std::filesystem::exists(path, error))
    {
        const std::string inProductFolder = productFolderDocumentPath(modulePath_, kSeparator);
        if (!inProductFolder.empty() && std::filesystem::exists(inProductFolder, error))
            path = inProductFolder;
    }
    if (!path.empty())
        platform::openDocument(path, opener_);
}
