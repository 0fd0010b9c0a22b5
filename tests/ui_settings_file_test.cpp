// The window's settings file: read once, only when it is a small regular file, never waited
// on; what was ignored is said once and never written over.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_files.h"
#include "ui/SettingsFile.h"

namespace brodix {
namespace {

using testing::TempDir;

std::string FileText(const std::string& path) {
    const auto bytes = testing::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(SettingsFileTest, ReadsWhatItWritesAndWhatEarlierVersionsWrote) {
    TempDir folder;
    const std::string path = folder / "brodix/brodix.conf";
    std::ostringstream warnings;
    {
        SettingsFile fresh(path, warnings);  // the first start: no file, no word
        EXPECT_TRUE(fresh.Writable());
        fresh.SetValue("pattern/strands", "3");
        fresh.SetValue("pattern/threads", "/a b/x,\"y\";z\\.xml");
    }
    SettingsFile again(path, warnings);
    EXPECT_EQ(again.Value("pattern/strands"), "3");
    EXPECT_EQ(again.Value("pattern/threads"), "/a b/x,\"y\";z\\.xml");
    EXPECT_EQ(again.Value("pattern/snap"), std::nullopt);
    EXPECT_EQ(warnings.str(), "");

    EXPECT_EQ(SettingsFile::Parse("[General]\ntop=1\n\n[pattern]\nfabricCount=14.5\n"
                                  "threads=\"/usr/share/kxstitch/schemes/dmc.xml\"\n"
                                  "paper = letter\n; a comment\nbroken line\n"),
              (std::map<std::string, std::string>{
                  {"top", "1"},
                  {"pattern/fabricCount", "14.5"},
                  {"pattern/threads", "/usr/share/kxstitch/schemes/dmc.xml"},
                  {"pattern/paper", "letter"}}));
}

// Each file that is not read: what the warning says, and that it is not written over.
TEST(SettingsFileTest, AFifoADeviceAFolderOrALargeFileIsIgnoredWithoutWaitingAndNotWritten) {
    TempDir folder;
    const std::string fifo = folder / "fifo.conf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = folder / "large.conf";
    {
        const int fd = ::open(large.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 100 << 20), 0);  // 100 MB, sparse
        ::close(fd);
    }
    const std::string justOver = folder / "over.conf";
    testing::WriteFileBytes(
        justOver, testing::Bytes(static_cast<std::size_t>(kMaxSettingsFileBytes) + 1, 'x'));
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {fifo, "it is a FIFO"},
        {"/dev/zero", "it is a device"},
        {folder.Path(), "it is a folder"},
        {large, "it is larger than 64 KB"},
        {justOver, "it is larger than 64 KB"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.path);
        std::ostringstream warnings;
        // Opened for reading, a FIFO without a writer would never answer.
        auto reading = std::async(std::launch::async, [&] {
            SettingsFile file(each.path, warnings);
            file.SetValue("pattern/strands", "2");
            return std::make_pair(file.Writable(), file.Value("pattern/strands"));
        });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "still reading after 5 s";
            const int writer = ::open(each.path.c_str(), O_WRONLY | O_NONBLOCK);
            ::close(writer);
        }
        const auto [writable, value] = reading.get();
        EXPECT_FALSE(writable);
        EXPECT_EQ(value, "2");  // kept for the session
        const std::string said = warnings.str();
        EXPECT_EQ(said.rfind("brodix: settings file " + each.path + " ignored: " + each.reason, 0),
                  0u)
            << said;
        EXPECT_NE(said.find("not kept"), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    }
    struct stat status {};
    ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(std::filesystem::file_size(justOver), std::uintmax_t(kMaxSettingsFileBytes + 1));
    EXPECT_EQ(FileText(justOver).substr(0, 3), "xxx");
}

}  // namespace
}  // namespace brodix
