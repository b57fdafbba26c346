// A file the renderer writes. Its path must name a new file in an existing folder or an
// existing regular file the user may write; a symlink is followed to the file it leads to,
// which is replaced while the symlink stays. The data goes to a hidden temporary file in the
// target's folder that takes the target's place only on commit, so that a failure or an
// interruption never leaves half a file.
#pragma once

#include <string>

// The file that writing path creates or replaces: path itself, or the file its symlinks lead
// to. Throws RenderError saying why when that is a folder, a device, a FIFO, a socket, a
// read-only file or a symlink to nothing.
std::string outputTarget(const std::string& path);

// Throws RenderError saying why when path names nothing yet and no file can be made there: its
// folder is missing, is not a folder or may not be written.
void checkFolderOfNewFile(const std::string& path);

// Whether a and b name one file: the same device and inode when both exist (whatever the
// spelling, symlink or hard link), the same absolute path with symlinks followed when
// neither does.
bool nameOneFile(const std::string& a, const std::string& b);

class OutputFile
{
  public:
    // Checks path as outputTarget does and creates the temporary file. Throws RenderError.
    explicit OutputFile(const std::string& path);
    // Removes the temporary file unless it was committed.
    ~OutputFile();

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporaryPath_; }

    // Renames the finished temporary file onto the target. A replaced file's permissions,
    // owner and group carry over, as when cp writes over a file. Throws RenderError.
    void commit();

  private:
    void keepReplacedFileAttributes() const;

    std::string path_;   // as the user gave it
    std::string target_; // the file it names, symlinks followed
    std::string temporaryPath_;
    int cleanupSlot_ = -1;
    bool committed_ = false;
};
