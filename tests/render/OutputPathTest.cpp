// Where vrn07-render may put its output: never over its input, over nothing but a regular
// file the user may write, through a symlink onto the file it leads to, inside a folder given
// as the output; and its report and snapshot under the same rules, checked before it renders.
#include "tests/render/RenderRun.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>

namespace fs = std::filesystem;

namespace
{
constexpr long long kInputFrames = 2000;

// What each entry of a folder is and holds: its type and permissions, and a hash of its
// bytes or the link's target.
std::map<std::string, std::string> folderState(const ScratchFolder& folder)
{
    std::map<std::string, std::string> state;
    for (const std::string& name : folder.contents())
    {
        const fs::path path = folder.work() / name;
        const fs::file_status status = fs::symlink_status(path);
        std::string held = std::to_string(int(status.type())) + " " +
                           std::to_string(int(status.permissions())) + " ";
        if (status.type() == fs::file_type::symlink)
            held += fs::read_symlink(path).string();
        else if (status.type() == fs::file_type::regular)
            held += std::to_string(std::hash<std::string>()(fileBytes(path.string())));
        state[name] = held;
    }
    return state;
}

// A listening socket's file at path, which stays when the socket is closed.
bool makeSocketFile(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(socketFd);
    return bound;
}

mode_t permissionsOf(const std::string& path)
{
    struct stat status
    {
    };
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// An absolute path of a .wav file in folder exactly length bytes long, its folders made.
std::string pathOfLength(const fs::path& folder, size_t length)
{
    std::string path = folder.string();
    while (length - path.size() > 256)
        path += "/" + std::string(200, 'd');
    fs::create_directories(path);
    return path + "/" + std::string(length - path.size() - 5, 'n') + ".wav";
}

class RenderOutputPath : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        writeSound(folder_.path("song.wav"), sineSound(44100, 2, kInputFrames, 440.0, 0.5));
    }

    // Expects one line on standard error saying problem, exit status 1 and the folder as it
    // was: no entry added, removed, retyped or changed.
    void expectRefused(const std::vector<std::string>& arguments, const std::string& problem)
    {
        const auto before = folderState(folder_);
        const RunResult result = folder_.run(arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
        EXPECT_NE(result.err.find(problem), std::string::npos) << result.err;
        EXPECT_EQ(folderState(folder_), before);
    }

    ScratchFolder folder_;
};
} // namespace

TEST_F(RenderOutputPath, RefusesTheInputUnderAnyNameAsOutputOrSnapshot)
{
    fs::create_symlink("song.wav", folder_.path("link.wav"));
    fs::create_hard_link(folder_.path("song.wav"), folder_.path("hard.wav"));
    fs::create_directory_symlink(".", folder_.path("here"));
    for (const std::string& output :
         {std::string("song.wav"), std::string("./song.wav"), std::string("../work/song.wav"),
          folder_.path("song.wav"), std::string("here/song.wav"), std::string("link.wav"),
          std::string("hard.wav")})
    {
        SCOPED_TRACE(output);
        expectRefused({"song.wav", output}, "cannot write " + output + ": it is the input file");
        expectRefused({"song.wav", "out.wav", "--snapshot", output}, "it is the input file");
    }
}

TEST_F(RenderOutputPath, RefusesToWriteTwoOfItsFilesToOnePath)
{
    expectRefused({"song.wav", "out.wav", "--snapshot", "./out.wav"},
                  "cannot write ./out.wav: it is also the output");
    expectRefused({"--demo", "demo-in.wav"}, "cannot write demo-in.wav: it is also the demo input");
}

TEST_F(RenderOutputPath, RefusesAnythingButARegularFileTheUserMayWrite)
{
    ASSERT_EQ(mkfifo(folder_.path("fifo.wav").c_str(), 0666), 0);
    ASSERT_TRUE(makeSocketFile(folder_.path("socket.wav")));
    // A folder as OUT takes the default name inside it, and that name is a folder here.
    fs::create_directories(folder_.work() / "renders" / "song-out.wav");
    writeBytes(folder_.path("locked.wav"), "a file nobody may write");
    fs::permissions(folder_.path("locked.wav"), fs::perms(0444));
    fs::create_symlink("fifo.wav", folder_.path("to-fifo.wav"));
    fs::create_symlink("gone/take.wav", folder_.path("dangling.wav"));
    const struct
    {
        const char* output;
        const char* problem;
    } cases[] = {
        {"fifo.wav", "it is a FIFO"},
        {"socket.wav", "it is a socket"},
        {"renders", "renders/song-out.wav: it is a folder"},
        {"locked.wav", "it is read-only"},
        {"to-fifo.wav", "it is a FIFO"},
        {"dangling.wav", "it is a symlink to gone/take.wav, which does not exist"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.output);
        expectRefused({"song.wav", c.output}, c.problem);
    }
}

TEST_F(RenderOutputPath, RefusesAReportOrSnapshotItCannotWriteBeforeRendering)
{
    fs::create_directory(folder_.work() / "renders");
    const struct
    {
        std::vector<std::string> arguments;
        const char* problem;
    } cases[] = {
        {{"song.wav", "out.wav", "--report", "missing/r.json"},
         "its folder missing does not exist"},
        {{"song.wav", "out.wav", "--report", "song.wav/r.json"}, "cannot write song.wav/r.json"},
        {{"song.wav", "out.wav", "--report", "renders"}, "it is a folder"},
        {{"song.wav", "out.wav", "--report", "song.wav"}, "it is the input file"},
        {{"song.wav", "out.wav", "--snapshot", "missing/editor.png"}, "does not exist"},
        {{"song.wav", "--out-dir", "masters", "--report", "missing/r.json"}, "does not exist"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.arguments.back());
        expectRefused(c.arguments, c.problem);
    }
}

TEST_F(RenderOutputPath, RefusesADeviceNode)
{
    // A node of the null device made in the scratch folder, so that a fault cannot harm
    // /dev/null itself. Making one needs root.
    if (mknod(folder_.path("null.wav").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
    expectRefused({"song.wav", "null.wav"}, "cannot write null.wav: it is a device");
}

TEST_F(RenderOutputPath, ReplacesAWritableFileKeepingItsPermissions)
{
    writeBytes(folder_.path("take.wav"), "an older take");
    fs::permissions(folder_.path("take.wav"), fs::perms(0640));
    const RunResult result = folder_.run({"song.wav", "take.wav"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readSound(folder_.path("take.wav")).frames(), kInputFrames);
    EXPECT_EQ(permissionsOf(folder_.path("take.wav")), 0640u);
    EXPECT_EQ(folder_.contents(), (std::vector<std::string>{"song.wav", "take.wav"}));
}

TEST_F(RenderOutputPath, WritesIntoAFolderGivenAsTheOutputUnderTheDefaultName)
{
    fs::create_directory(folder_.work() / "renders");
    const RunResult result = folder_.run({"song.wav", "renders/"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(folder_.contents(),
              (std::vector<std::string>{"renders", "renders/song-out.wav", "song.wav"}));
    EXPECT_EQ(readSound(folder_.path("renders/song-out.wav")).frames(), kInputFrames);
}

TEST_F(RenderOutputPath, WritesAnOutputWhoseNameOrPathIsAsLongAsTheSystemAllows)
{
    const long longestName = pathconf(folder_.work().c_str(), _PC_NAME_MAX);
    for (const std::string& output : {folder_.path(std::string(longestName - 4, 'n') + ".wav"),
                                      pathOfLength(folder_.work(), PATH_MAX - 1)})
    {
        SCOPED_TRACE(output.size());
        const RunResult written = folder_.run({"song.wav", output});
        ASSERT_EQ(written.status, 0) << written.err;
        // Read back as the renderer's input, since that path is as long.
        const RunResult readBack = folder_.run({output, "back.wav"});
        ASSERT_EQ(readBack.status, 0) << readBack.err;
        EXPECT_EQ(readSound(folder_.path("back.wav")).frames(), kInputFrames);
        fs::remove(output);
        fs::remove(folder_.path("back.wav"));
        for (const std::string& name : folder_.contents())
            EXPECT_FALSE(fs::path(name).filename().string().starts_with(".")) << name;
    }
}

TEST_F(RenderOutputPath, WritesThroughASymlinkOntoTheFileItLeadsTo)
{
    fs::create_directory(folder_.work() / "masters");
    writeBytes(folder_.path("masters/final.wav"), "an older master");
    fs::create_symlink("masters/final.wav", folder_.path("latest.wav"));
    const RunResult result = folder_.run({"song.wav", "latest.wav"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_symlink(folder_.path("latest.wav")));
    EXPECT_EQ(readSound(folder_.path("masters/final.wav")).frames(), kInputFrames);
    // The temporary file was made beside the target and renamed onto it: nothing else is left.
    EXPECT_EQ(folder_.contents(),
              (std::vector<std::string>{"latest.wav", "masters", "masters/final.wav", "song.wav"}));
}
