// Exports that cannot be written: whatever stops them (a write that fails part way, a
// failed rename, a full device, a read-only folder, a folder in the file's place) leaves
// an earlier file byte for byte as it was, no temporary file behind, and raises
// "Cannot create file <path>". Hostile file names export and load like any other.

#include "TestSupport.h"
#include "aci/ACi_Curve.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "import/GridText.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace calvane::test {
namespace {

namespace fs = std::filesystem;

const std::string earlier = std::string("ACi Curve Analysis for: earlier\r\n\xB5mol\r\n") + std::string(5000, 'x');

class HostileExport : public ::testing::Test {
protected:
    void TearDown() override { setFileWriteHooks({}); }

    // File > Export of the A/Ci window to `path`, answering Yes to the overwrite
    // question; the message of the error it ends with, empty when it wrote.
    std::string exportTo(const std::string& path)
    {
        platform.saveAnswers = {path};
        try {
            win.aciMnuFileExportClick();
        } catch (const FileError& error) {
            return error.what();
        }
        return {};
    }

    std::size_t filesIn(const fs::path& folder) const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmACi_Curve win{platform, settings};
    ScratchDir dir;
};

TEST_F(HostileExport, AWriteThatFailsPartWayOrAFailedRenameKeepsTheEarlierFile)
{
    const std::string path = dir.path("ACIResults.txt");
    struct Fault {
        const char* what;
        FileWriteHooks hooks;
    };
    long budget = 0;
    const std::vector<Fault> faults{
        {"no space after 10 bytes",
         {[&](int fd, const char* data, std::size_t size) -> long {
              if (budget <= 0) {
                  errno = ENOSPC;
                  return -1;
              }
              const long n = ::write(fd, data, std::min<std::size_t>(size, static_cast<std::size_t>(budget)));
              budget -= n;
              return n;
          },
          {}}},
        {"a write that writes nothing", {[](int, const char*, std::size_t) -> long { return 0; }, {}}},
        {"interrupted, then an I/O error",
         {[&](int, const char*, std::size_t) -> long {
              errno = budget-- > 0 ? EINTR : EIO;
              return -1;
          },
          {}}},
        {"the rename fails",
         {{},
          [](const char*, const char*) {
              errno = EXDEV;
              return -1;
          }}},
    };
    for (const auto& fault : faults) {
        writeBytes(path, earlier);
        budget = 10;
        setFileWriteHooks(fault.hooks);
        EXPECT_EQ(exportTo(path), "Cannot create file " + path) << fault.what;
        setFileWriteHooks({});
        EXPECT_EQ(readBytes(path), earlier) << fault.what;
        EXPECT_EQ(filesIn(dir.dir()), 1u) << fault.what;  // no temporary file left
    }
    // Without a fault the same export replaces the file.
    EXPECT_EQ(exportTo(path), "");
    EXPECT_EQ(readBytes(path).substr(0, 25), "ACi Curve Analysis for: \r");
}

TEST_F(HostileExport, AFolderInTheFilesPlaceIsLeftAsItWas)
{
    fs::create_directory(dir.path("results.txt"));
    writeBytes(dir.path("results.txt/inside"), earlier);
    EXPECT_EQ(exportTo(dir.path("results.txt")), "Cannot create file " + dir.path("results.txt"));
    EXPECT_TRUE(fs::is_directory(dir.path("results.txt")));
    EXPECT_EQ(readBytes(dir.path("results.txt/inside")), earlier);
    EXPECT_EQ(filesIn(dir.path("results.txt")), 1u);
}

TEST_F(HostileExport, AReadOnlyFolderKeepsItsFile)
{
    // The folder is read-only to the user who exports; root passes any permission
    // check, so a root test run exports as "nobody" in a child process.
    fs::create_directory(dir.path("locked"));
    const std::string path = dir.path("locked/ACIResults.txt");
    writeBytes(path, earlier);
    fs::permissions(dir.path("locked"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                            fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dir.dir(), fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(path, fs::perms::others_read, fs::perm_options::add);

    std::string message;
    if (::geteuid() != 0) {
        message = exportTo(path);
    } else {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            const std::string text = exportTo(path);
            if (::write(pipeEnds[1], text.data(), text.size()) < 0)
                ::_exit(3);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        char buffer[4096];
        for (long n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            message.append(buffer, static_cast<std::size_t>(n));
        ::close(pipeEnds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(message, "Cannot create file " + path);
    fs::permissions(dir.path("locked"), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(readBytes(path), earlier);
    EXPECT_EQ(filesIn(dir.path("locked")), 1u);
}

TEST_F(HostileExport, DevicesAreWrittenToNeverReplaced)
{
    // The export's writing step, as after the save dialog (which would add ".txt" to a
    // device's name). Root could put a plain file in a device's place, so it works on
    // private copies of the full and null devices; others use the system's own.
    const auto exportTo = [&](const std::string& path) -> std::string {
        try {
            writeExportFile(platform, path, win.exportLines());
        } catch (const FileError& error) {
            return error.what();
        }
        return {};
    };
    std::string full = "/dev/full", null = "/dev/null";
    if (::geteuid() == 0) {
        full = dir.path("full");
        null = dir.path("null");
        ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
        ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    EXPECT_EQ(exportTo(full), "Cannot create file " + full);
    EXPECT_TRUE(fs::is_character_file(full));
    EXPECT_EQ(exportTo(null), "");
    EXPECT_TRUE(fs::is_character_file(null));
    EXPECT_EQ(filesIn(dir.dir()), ::geteuid() == 0 ? 2u : 0u);
}

TEST_F(HostileExport, FileNamesWithSpacesLettersAndFourThousandCharacters)
{
    // A path of 4000 characters, through folders of 200-character names.
    std::string deep = dir.dir().string();
    while (deep.size() < 3700)
        deep += "/" + std::string(199, 'd');
    fs::create_directories(deep);
    const std::string longPath = deep + "/" + std::string(3995 - deep.size(), 'n') + ".csv";
    ASSERT_EQ(longPath.size(), 4000u);

    for (const std::string& path : {dir.path("leaf 3 results.csv"), dir.path("Blatt Ähre ñandú 葉.csv"), longPath}) {
        EXPECT_EQ(exportTo(path), "") << path;
        EXPECT_EQ(readBytes(path).substr(0, 24), "ACi Curve Analysis for: ") << path;
        writeBytes(path, "50,2\r\n100,6\r\n");
        LoadCSVFile(win.aciSpreadSheetData, path, platform);
        EXPECT_EQ(win.aciSpreadSheetData.cell(1, 2), "100") << path;
    }

    // One name of 4000 characters is beyond what a folder holds: a clear message.
    const std::string tooLong = dir.path(std::string(3996, 'n') + ".csv");
    EXPECT_EQ(exportTo(tooLong), "Cannot create file " + tooLong);
    try {
        LoadCSVFile(win.aciSpreadSheetData, tooLong, platform);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + tooLong);
    }
}

}  // namespace
}  // namespace calvane::test
