#include "tools/render/OutputFile.h"

#include "tools/render/RenderError.h"
#include "tools/render/SignalCleanup.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
RenderError cannotWrite(const std::string& path, const std::string& reason)
{
    return RenderError("cannot write " + path + ": " + reason);
}

// What a file that is not a regular file is, for the message; nullptr for a regular file.
const char* kindOfSpecialFile(mode_t mode)
{
    if (S_ISREG(mode))
        return nullptr;
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

// Whether the user may write the file. Root passes every permission check, so for root a
// file that no one may write counts as read-only: it was made so on purpose.
bool userMayWrite(const std::string& path, const struct stat& status)
{
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    return geteuid() != 0 || (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

void refuseUnlessWritableFile(const std::string& path, const std::string& target,
                              const struct stat& status)
{
    if (const char* kind = kindOfSpecialFile(status.st_mode))
        throw cannotWrite(path, std::string("it is ") + kind);
    if (!userMayWrite(target, status))
        throw cannotWrite(path, "it is read-only");
}

// The file a symlink leads to, its status in status. Throws RenderError when it leads nowhere.
std::string followSymlink(const std::string& path, struct stat& status)
{
    if (stat(path.c_str(), &status) != 0)
    {
        if (errno != ENOENT)
            throw cannotWrite(path, std::strerror(errno));
        std::error_code ignored;
        throw cannotWrite(path, "it is a symlink to " + fs::read_symlink(path, ignored).string() +
                                    ", which does not exist");
    }
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    if (error)
        throw cannotWrite(path, error.message());
    return target.string();
}

// The permissions a newly created file gets from the user's mask (mkstemp makes it 0600).
mode_t newFilePermissions()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The absolute path with symlinks followed as far as it exists; empty when it cannot be made.
fs::path resolvedPath(const std::string& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    if (error)
        return {};
    const fs::path resolved = fs::weakly_canonical(absolute, error);
    return error ? fs::path() : resolved;
}

fs::path folderOf(const std::string& file)
{
    const fs::path path(file);
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// The longest file name the folder takes.
size_t longestNameIn(const fs::path& folder)
{
    const long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? size_t(longest) : NAME_MAX;
}

// The first bytes of name, at most count, without splitting a UTF-8 character.
std::string leadingBytes(const std::string& name, size_t count)
{
    if (name.size() <= count)
        return name;
    while (count > 0 && (static_cast<unsigned char>(name[count]) & 0xC0) == 0x80)
        --count;
    return name.substr(0, count);
}

// mkstemp's pattern for a hidden file beside the target: "." + its name + ".XXXXXX". The name
// is shortened where the file name or the whole path would pass the system's limits; the
// random characters keep it unique.
std::string hiddenPatternBeside(const std::string& target)
{
    const std::string prefix = (folderOf(target) / ".").string();
    const std::string suffix = ".XXXXXX";
    const size_t nameRoom = longestNameIn(folderOf(target)) - 1 - suffix.size();
    const size_t pathRoom =
        PATH_MAX - 1 - std::min<size_t>(PATH_MAX - 1, prefix.size() + suffix.size());
    const std::string name = fs::path(target).filename().string();
    return prefix + leadingBytes(name, std::min(nameRoom, pathRoom)) + suffix;
}
} // namespace

std::string outputTarget(const std::string& path)
{
    struct stat status
    {
    };
    // Nothing there (or nothing that can be seen): a new file, whose folder shows any
    // problem when the temporary file is made in it.
    if (lstat(path.c_str(), &status) != 0)
        return path;
    const std::string target = S_ISLNK(status.st_mode) ? followSymlink(path, status) : path;
    refuseUnlessWritableFile(path, target, status);
    return target;
}

void checkFolderOfNewFile(const std::string& path)
{
    struct stat status
    {
    };
    if (lstat(path.c_str(), &status) == 0)
        return;
    if (errno != ENOENT)
        throw cannotWrite(path, std::strerror(errno));
    const std::string folder = folderOf(path).string();
    if (access(folder.c_str(), W_OK | X_OK) == 0)
        return;
    if (errno == ENOENT)
        throw cannotWrite(path, "its folder " + folder + " does not exist");
    throw cannotWrite(path, "cannot create a file in " + folder + ": " + std::strerror(errno));
}

bool nameOneFile(const std::string& a, const std::string& b)
{
    struct stat aStatus
    {
    };
    struct stat bStatus
    {
    };
    const bool aExists = stat(a.c_str(), &aStatus) == 0;
    const bool bExists = stat(b.c_str(), &bStatus) == 0;
    if (aExists || bExists)
        return aExists && bExists && aStatus.st_dev == bStatus.st_dev &&
               aStatus.st_ino == bStatus.st_ino;
    const fs::path aResolved = resolvedPath(a);
    return !aResolved.empty() && aResolved == resolvedPath(b);
}

OutputFile::OutputFile(const std::string& path)
    : path_(path), target_(outputTarget(path)), temporaryPath_(hiddenPatternBeside(target_))
{
    cleanupSlot_ = createTemporaryFile(temporaryPath_);
    if (cleanupSlot_ < 0)
        throw cannotWrite(path_, std::strerror(errno));
    chmod(temporaryPath_.c_str(), newFilePermissions());
}

OutputFile::~OutputFile()
{
    if (committed_)
        return;
    unlink(temporaryPath_.c_str());
    forgetTemporaryFile(cleanupSlot_);
}

void OutputFile::commit()
{
    keepReplacedFileAttributes();
    if (std::rename(temporaryPath_.c_str(), target_.c_str()) != 0)
        throw cannotWrite(path_, std::strerror(errno));
    committed_ = true;
    forgetTemporaryFile(cleanupSlot_);
}

void OutputFile::keepReplacedFileAttributes() const
{
    struct stat replaced
    {
    };
    if (stat(target_.c_str(), &replaced) != 0)
        return;
    // Only root may give a file to another user; anyone else keeps the new file as theirs.
    if (chown(temporaryPath_.c_str(), replaced.st_uid, replaced.st_gid) != 0 && errno != EPERM)
        throw cannotWrite(path_, std::strerror(errno));
    if (chmod(temporaryPath_.c_str(), replaced.st_mode & 0777) != 0)
        throw cannotWrite(path_, std::strerror(errno));
}
