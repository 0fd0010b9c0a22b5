// Files and names chosen to hurt: pipes, pictures that declare more than they hold, planted
// links, names too long, folders that take no new files, saves cut short by a signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "raster/BmpCodec.h"
#include "raster/Exceptions.h"
#include "raster/FileFailure.h"
#include "raster/FileIO.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TPicture.h"
#include "raster_files_support.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace brodix {
namespace {

using testing::Bytes;
using testing::TempDir;

constexpr uid_t kOtherUser = 65534;  // nobody

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no error";
}

bool IsBmp(const Bytes& bytes) {
    return bytes.size() > 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// A 4 x 3 picture to save.
struct SmallPicture {
    SmallPicture() {
        TBitmap bitmap;
        bitmap.SetSize(4, 3);
        picture.SetGraphic(&bitmap);
    }
    TPicture picture;
};

// --- loading ------------------------------------------------------------------------------

// Opening a pipe for reading waits for a writer; the loader must refuse it at once.
TEST(HostileLoad, PipeIsRefusedWithoutWaiting) {
    TempDir dir;
    const std::string pipe = dir / "p.bmp";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    TPicture picture;
    auto load = std::async(std::launch::async,
                           [&] { return Message([&] { picture.LoadFromFile(pipe); }); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // A writer that comes and goes releases the waiting open, so the test can end.
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        ADD_FAILURE() << "the load waits for a writer";
    }
    EXPECT_EQ(load.get(), FormatMessage(msg::kFOpenError, pipe));
}

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// A few bytes that declare a picture of 256 MiB must cost memory only for what they hold.
TEST(HostileLoad, DeclaredSizeCostsNoMemoryBeyondTheData) {
    const TColor red = 0x0000FF;
    const struct {
        const char* name;
        testing::BmpFields fields;
        TColor bottomLeft;
    } cases[] = {
        {"32 bits, no pixel data", {.width = 8192, .height = 8192, .bitCount = 32}, clBlack},
        {"RLE8, one run in the bottom row",
         {.width = 8192,
          .height = 8192,
          .bitCount = 8,
          .compression = 1,
          .colorsUsed = 1,
          .table = {red},
          .pixels = {5, 0}},
         red},
        {"24 bits, the bottom row only",
         {.width = 9000, .height = 9000, .bitCount = 24, .pixels = Bytes(27000, 0xFF)},
         clWhite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = testing::BuildBmp(c.fields);
        const std::size_t before = ResidentBytes();
        // Twice, as the window and brodix-chart load every picture.
        TMemoryStream first(file);
        TMemoryStream second(file);
        const auto picture = ReadBmp(first, file.size());
        const auto preview = ReadBmp(second, file.size());
        const std::size_t grown = ResidentBytes() - before;
        EXPECT_LT(grown, std::size_t{16} << 20);
        EXPECT_EQ(picture->GetPixel(0, c.fields.height - 1), c.bottomLeft);
        EXPECT_EQ(preview->GetPixel(c.fields.width - 1, 0), clBlack) << "a row the file lacks";
    }
}

// --- saving -------------------------------------------------------------------------------

TEST(HostileSave, NameTooLongForTheFolderIsACreateError) {
    for (const std::size_t length : {std::size_t{255}, std::size_t{256}, std::size_t{400}}) {
        SCOPED_TRACE(length);
        TempDir dir;
        const std::string path = dir / (std::string(length - 4, 'n') + ".bmp");
        SmallPicture small;
        const std::string message = Message([&] { small.picture.SaveToFile(path); });
        if (length <= 255) {
            EXPECT_EQ(message, "no error");
            EXPECT_TRUE(IsBmp(testing::ReadFileBytes(path)));
        } else {
            EXPECT_EQ(message, FormatMessage(msg::kFCreateError, path));
            EXPECT_TRUE(dir.Files().empty());
        }
    }
}

// In a sticky folder that everyone may write (such as /tmp), a link is followed only where the
// kernel's protected-links rule would follow it, whether it names the file or a folder on the
// way. The follower here is root.
TEST(HostileSave, LinksAreFollowedOnlyWhereTheKernelWould) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving links and folders to another user needs root";
    const struct {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
        bool folderLink = false;  // the link names a folder on the way, not the file itself
    } cases[] = {
        {"another user's link in a shared sticky folder", 01777, 0, kOtherUser, false},
        {"the user's own link there", 01777, 0, 0, true},
        {"a link of the folder's owner", 01777, kOtherUser, kOtherUser, true},
        {"a folder without the sticky bit", 0777, 0, kOtherUser, true},
        {"a sticky folder only its owner writes", 01755, 0, kOtherUser, true},
        {"another user's link to a folder on the way", 01777, 0, kOtherUser, false, true},
        {"the user's own link to a folder on the way", 01777, 0, 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const Bytes secret(100, 0x33);
        const std::string victim = dir / "victim";
        ASSERT_EQ(::mkdir(victim.c_str(), 0700), 0);
        const std::string target = victim + "/x_CS.bmp";
        testing::WriteFileBytes(target, secret);
        ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
        const std::string folder = dir / "shared";
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, static_cast<gid_t>(-1)), 0);
        const std::string link = folder + (c.folderLink ? "/dir" : "/x_CS.bmp");
        ASSERT_EQ(::symlink((c.folderLink ? victim : target).c_str(), link.c_str()), 0);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, static_cast<gid_t>(-1)), 0);

        SmallPicture small;
        const std::string written = c.folderLink ? link + "/x_CS.bmp" : link;
        const std::string message = Message([&] { small.picture.SaveToFile(written); });
        if (c.followed) {
            EXPECT_EQ(message, "no error");
            EXPECT_TRUE(IsBmp(testing::ReadFileBytes(target)));
        } else {
            EXPECT_EQ(message, FormatMessage(msg::kFCreateError, written));
            EXPECT_EQ(testing::ReadFileBytes(target), secret);
            EXPECT_EQ(WriteFailureReason(written),
                      "the link " + link +
                          " lies in a folder that everyone may write and belongs to another "
                          "user, so it is not followed (the system's rule for protected links)");
        }
        struct stat info {};
        ASSERT_EQ(::lstat(link.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link itself stays";
    }
}

// A new file that cannot be made says why in the system's words: the reason the failed call
// gave, and the same when it is asked again afterwards.
TEST(HostileSave, ANewFileThatCannotBeMadeSaysTheSystemsReason) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir / "locked").c_str(), 0555), 0);
    testing::WriteFileBytes(dir / "file", {1});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir / "locked/new.pdf", "Permission denied"},
        {dir / "missing/new.pdf", "No such file or directory"},
        {dir / "file/new.pdf", "Not a directory"},
        {dir / "locked", "Is a directory"},
    };
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Root writes any folder; act as a user the folder refuses.
        if (::geteuid() == 0 && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0))
            ::_exit(3);
        std::string told;
        for (const auto& [path, reason] : cases) {
            try {
                TSafeFileWriter writer(path);
            } catch (const EFCreateError& error) {
                told += CannotWriteText(path, error.SystemError()) + "|" + CannotWriteText(path);
            }
            told += "\n";
        }
        (void)!::write(fds[1], told.data(), told.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string told;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        told.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    std::string expected;
    for (const auto& [path, reason] : cases) {
        const std::string line = "cannot write " + path + ": " + reason;
        expected += line + "|" + line + "\n";
    }
    EXPECT_EQ(told, expected);
    ::chmod((dir / "locked").c_str(), 0700);
}

// A file the user may write, in a folder the user may not write, is rewritten in place; a
// full disk (here a file size limit) refuses the save before an old byte changes.
TEST(HostileSave, UnwritableFolderRewritesAWritableFileInPlace) {
    const struct {
        const char* name;
        rlim_t sizeLimit;  // 0: none
        const char* message;
    } cases[] = {
        {"room for the file", 0, "no error"},
        {"disk full", 4096, msg::kWriteError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const Bytes old(300, 0x5A);
        const std::string path = dir / "kept.bmp";
        testing::WriteFileBytes(path, old);
        ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
        ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Root writes any folder; act as a user the folder refuses.
            if (::geteuid() == 0 && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0))
                ::_exit(3);
            TBitmap big;
            big.SetSize(100, 100);  // 40,054 bytes as written
            TPicture picture;
            picture.SetGraphic(&big);
            std::unique_ptr<testing::FileSizeLimit> limit;
            if (c.sizeLimit != 0)
                limit = std::make_unique<testing::FileSizeLimit>(c.sizeLimit);
            ::_exit(Message([&] { picture.SaveToFile(path); }) == c.message ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        ::chmod(dir.Path().c_str(), 0700);

        const Bytes now = testing::ReadFileBytes(path);
        if (c.sizeLimit == 0) {
            EXPECT_EQ(now.size(), 40054u);
            struct stat after {};
            ASSERT_EQ(::stat(path.c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, before.st_ino) << "the same file, rewritten";
        } else {
            EXPECT_EQ(now, old);
        }
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"kept.bmp"});
    }
}

// The save replaces the name whole or not at all, which only a new file can do: another hard
// link to the old file keeps the old chart, as a snapshot made of hard links expects.
TEST(HostileSave, OtherHardLinksKeepTheOldContents) {
    TempDir dir;
    const Bytes old(300, 0x5A);
    testing::WriteFileBytes(dir / "rose_CS.bmp", old);
    ASSERT_EQ(::link((dir / "rose_CS.bmp").c_str(), (dir / "copy.bmp").c_str()), 0);
    SmallPicture small;
    small.picture.SaveToFile(dir / "rose_CS.bmp");
    EXPECT_TRUE(IsBmp(testing::ReadFileBytes(dir / "rose_CS.bmp")));
    EXPECT_EQ(testing::ReadFileBytes(dir / "copy.bmp"), old);
}

// A signal during a save removes the temporary file and ends the program as the signal would;
// the old file stays. A signal the program was started to ignore stays ignored.
TEST(HostileSave, InterruptRemovesTheTemporaryFile) {
    const struct {
        int signal;
        bool ignored;
    } cases[] = {{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGHUP, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.signal << (c.ignored ? " ignored" : ""));
        TempDir dir;
        const Bytes old(300, 0x5A);
        testing::WriteFileBytes(dir / "x.bmp", old);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (c.ignored)
                std::signal(c.signal, SIG_IGN);
            InstallInterruptCleanup();
            {
                TSafeFileWriter writer(dir / "x.bmp");
                writer.Stream().Write("partial", 7);
                ::raise(c.signal);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (c.ignored) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        } else {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), c.signal);
        }
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"x.bmp"});
        EXPECT_EQ(testing::ReadFileBytes(dir / "x.bmp"), old);
    }
}

// An output that is an input, or another output, of the same run: by its device and inode
// through links when it exists, by its path otherwise.
TEST(HostileSave, ARunMayNotWriteOverItsOwnFiles) {
    TempDir dir;
    const std::string input = dir / "in.bmp";
    testing::WriteFileBytes(input, Bytes(10, 1));
    ASSERT_EQ(::symlink(input.c_str(), (dir / "link.bmp").c_str()), 0);
    ASSERT_EQ(::link(input.c_str(), (dir / "hard.bmp").c_str()), 0);
    const std::string fresh = dir / "new.pdf";
    const struct {
        std::vector<std::string> outputs;
        std::string message;  // empty: allowed
    } cases[] = {
        {{fresh, dir / "other.pdf"}, ""},
        {{fresh, input}, "cannot write " + input + ": it is " + input + ", which this run reads"},
        {{dir / "link.bmp"}, "cannot write " + dir / "link.bmp" + ": it is " + input},
        {{dir / "hard.bmp"}, "cannot write " + dir / "hard.bmp" + ": it is " + input},
        {{fresh, dir / "./new.pdf"},
         "cannot write " + dir / "./new.pdf" + ": this run already writes " + fresh},
    };
    for (const auto& c : cases) {
        const std::string message = Message([&] { RequireDistinctFiles({input}, c.outputs); });
        if (c.message.empty())
            EXPECT_EQ(message, "no error");
        else
            EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
    }
}

}  // namespace
}  // namespace brodix
