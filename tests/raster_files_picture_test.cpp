#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "raster/Exceptions.h"
#include "raster/FileFormats.h"
#include "raster/FileIO.h"
#include "raster/FormData.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TJPEGImage.h"
#include "raster/TPicture.h"
#include "raster_files_jpeg.h"
#include "raster_files_support.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace brodix {
namespace {

using testing::Bytes;
using testing::TempDir;

// --- the registry and the extension ------------------------------------------------------

TEST(FileFormats, RegistryOrderAndLookup) {
    const auto& entries = TFileFormatsList::Instance().Entries();
    std::vector<std::string> extensions;
    for (const auto& entry : entries)
        extensions.push_back(entry.extension);
    EXPECT_EQ(extensions, (std::vector<std::string>{"wmf", "emf", "ico", "bmp", "jpeg", "jpg"}));

    const struct {
        const char* extension;
        const char* className;  // nullptr: not registered
    } cases[] = {
        {"bmp", "TBitmap"},     {"BMP", "TBitmap"}, {"Bmp", "TBitmap"},   {"jpg", "TJPEGImage"},
        {"JPEG", "TJPEGImage"}, {"ico", "TIcon"},   {"wmf", "TMetafile"}, {"emf", "TMetafile"},
        {"gif", nullptr},       {"", nullptr},      {"bmp ", nullptr},    {"b\\mp", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        const TFileFormat* format = TFileFormatsList::Instance().FindExtension(c.extension);
        if (c.className == nullptr) {
            EXPECT_EQ(format, nullptr);
        } else {
            ASSERT_NE(format, nullptr);
            EXPECT_EQ(format->className, c.className);
            EXPECT_STREQ(format->create()->ClassName(), c.className);
        }
    }
}

TEST(FileFormats, ExtensionAfterTheLastDot) {
    const struct {
        const char* name;
        const char* extension;
    } cases[] = {
        {"/home/a/picture.bmp", "bmp"},
        {"picture.BMP", "BMP"},
        {"archive.tar.Jpg", "Jpg"},
        {"/home/a/my.pictures/photo", ""},
        {"noextension", ""},
        {"trailing.", ""},
        {"/a.b/c.d/e.ico", "ico"},
        {"C:\\pictures\\cat.bmp", "bmp"},
        {"my.pictures\\photo", "pictures\\photo"},  // backslash is an ordinary character here
        {"ファイル.bmp", "bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractExtension(c.name), c.extension) << c.name;
}

// --- the picture loader -------------------------------------------------------------------

class PictureLoader : public ::testing::Test {
  protected:
    void SetUp() override {
        TBitmap original;
        original.SetSize(4, 3);
        original.SetPixel(2, 1, 0x345678);
        m_picture.SetGraphic(&original);
        m_picture.OnChange = [this] { ++m_changes; };
    }

    void ExpectUnchanged() {
        ASSERT_NE(dynamic_cast<TBitmap*>(m_picture.Graphic()), nullptr);
        EXPECT_EQ(m_picture.Width(), 4);
        EXPECT_EQ(m_picture.Height(), 3);
        EXPECT_EQ(static_cast<TBitmap*>(m_picture.Graphic())->GetPixel(2, 1), 0x345678u);
        EXPECT_EQ(m_changes, 0);
    }

    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = m_dir / name;
        testing::WriteFileBytes(path, bytes);
        return path;
    }

    TempDir m_dir;
    TPicture m_picture;
    int m_changes = 0;
};

Bytes SmallBmp() {
    return testing::BuildBmp(
        {.width = 2, .height = 1, .bitCount = 24, .pixels = {0, 0, 0xFF, 0xFF, 0, 0, 0, 0}});
}

TEST_F(PictureLoader, FailuresLeaveTheHolderUnchanged) {
    const Bytes bmp = SmallBmp();
    const Bytes jpeg = testing::MakeJpeg(8, 8, testing::JpegKind::Baseline);
    std::filesystem::create_directory(m_dir / "my.pictures");
    std::filesystem::create_directory(m_dir / "folder.bmp");
    const struct {
        const char* name;
        std::string path;
        const char* message;
    } cases[] = {
        {"unregistered", Write("a.gif", bmp), "拡張子 .gif の画像形式は処理できません"},
        {"no extension", Write("plain", bmp), "拡張子 . の画像形式は処理できません"},
        {"dot only in a folder", Write("my.pictures/photo", bmp),
         "拡張子 . の画像形式は処理できません"},
        {"missing", m_dir / "missing.bmp", nullptr},
        {"a folder", m_dir / "folder.bmp", nullptr},
        {"thirteen bytes", Write("short.bmp", Bytes(bmp.begin(), bmp.begin() + 13)),
         msg::kReadError},
        {"not B, M", Write("text.bmp", Bytes{'h', 'e', 'l', 'l', 'o', 0, 0, 0, 0, 0, 0, 0, 0, 0}),
         msg::kInvalidBitmap},
        {"JPEG named .bmp", Write("photo.bmp", jpeg), msg::kInvalidBitmap},
        {"BMP named .jpg", Write("picture.jpg", bmp), "JPEG エラー #53"},
        {"icon type 2", Write("cursor.ico", Bytes{0, 0, 2, 0, 0, 0}), msg::kInvalidIcon},
        {"icon of 5 bytes", Write("tiny.ico", Bytes{0, 0, 1, 0, 0}), msg::kReadError},
        {"metafile of neither form", Write("x.wmf", Bytes(200, 7)), msg::kInvalidMetafile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            m_picture.LoadFromFile(c.path);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            const std::string expected =
                c.message != nullptr ? c.message : FormatMessage(msg::kFOpenError, c.path);
            EXPECT_EQ(e.Message(), expected);
        }
        ExpectUnchanged();
    }
}

TEST_F(PictureLoader, KindFollowsTheExtension) {
    const Bytes bmp = SmallBmp();
    const struct {
        const char* file;
        Bytes bytes;
        const char* className;
        int width;
    } cases[] = {
        {"upper.BMP", bmp, "TBitmap", 2},
        {"mixed.Bmp", bmp, "TBitmap", 2},
        {"empty.bmp", {}, "TBitmap", 0},
        {"photo.JPEG", testing::MakeJpeg(5, 7, testing::JpegKind::Baseline), "TJPEGImage", 5},
        {"photo.jpg", {}, "TJPEGImage", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const int before = m_changes;
        m_picture.LoadFromFile(Write(c.file, c.bytes));
        EXPECT_STREQ(m_picture.Graphic()->ClassName(), c.className);
        EXPECT_EQ(m_picture.Width(), c.width);
        EXPECT_GT(m_changes, before);
    }
}

// --- the picture save ---------------------------------------------------------------------

TEST_F(PictureLoader, SaveWritesBmpWhateverTheName) {
    const std::string path = m_dir / "out.jpg";
    m_picture.SaveToFile(path);
    TPicture again;
    again.LoadFromFile(Write("copy.bmp", testing::ReadFileBytes(path)));
    EXPECT_EQ(again.Width(), 4);
    EXPECT_EQ(static_cast<TBitmap*>(again.Graphic())->GetPixel(2, 1), 0x345678u);
}

TEST_F(PictureLoader, SaveReplacesAnExistingFileAndLeavesNoTemporary) {
    const std::string path = Write("old.bmp", Bytes(5000, 1));
    m_picture.SaveToFile(path);
    EXPECT_EQ(testing::ReadFileBytes(path).size(), 54u + 4 * 4 * 3);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        files += entry.path().filename() == "old.bmp" ? 1 : 100;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(PictureLoader, EmptyHolderWritesNoFile) {
    TPicture empty;
    empty.SaveToFile(m_dir / "none.bmp");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "none.bmp"));
}

TEST_F(PictureLoader, EmptyBitmapWritesAZeroLengthFile) {
    TBitmap empty;
    TPicture picture;
    picture.SetGraphic(&empty);
    const std::string path = Write("zero.bmp", Bytes(10, 1));
    picture.SaveToFile(path);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(PictureLoader, UncreatableFileRaisesEFCreateError) {
    std::filesystem::create_directory(m_dir / "folder.bmp");
    for (const std::string& path : {m_dir / "no/such/folder/x.bmp", m_dir / "folder.bmp"}) {
        try {
            m_picture.SaveToFile(path);
            ADD_FAILURE() << path;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), FormatMessage(msg::kFCreateError, path));
        }
    }
}

// A file the user may not write is not replaced behind their back by the rename. Run as a user
// without the rights to it: root may write anything.
TEST_F(PictureLoader, ReadOnlyFileIsNotReplaced) {
    const Bytes old(300, 0x5A);
    const std::string path = Write("locked.bmp", old);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(m_dir.Path().c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        try {  // the folder itself takes new files
            m_picture.SaveToFile(m_dir / "fresh.bmp");
        } catch (...) {
            ::_exit(4);
        }
        try {
            m_picture.SaveToFile(path);
        } catch (const EFCreateError& e) {
            ::_exit(e.Message() == FormatMessage(msg::kFCreateError, path) ? 0 : 1);
        } catch (...) {
        }
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(testing::ReadFileBytes(path), old);
}

// A disk that fills up halfway: the file size limit makes the kernel refuse the rest.
TEST_F(PictureLoader, FailedWriteKeepsTheOldFile) {
    const Bytes old(300, 0x5A);
    const std::string path = Write("keep.bmp", old);
    TBitmap big;
    big.SetSize(100, 100);  // 40,054 bytes as written
    TPicture picture;
    picture.SetGraphic(&big);

    bool raised = false;
    {
        const testing::FileSizeLimit limit(4096);
        try {
            picture.SaveToFile(path);
        } catch (const EWriteError& e) {
            raised = e.Message() == msg::kWriteError;
        }
    }

    EXPECT_TRUE(raised);
    EXPECT_EQ(testing::ReadFileBytes(path), old);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(SafeFileWriter, DestroyedWithoutCommitLeavesNothing) {
    TempDir dir;
    {
        TSafeFileWriter writer(dir / "a.bmp");
        writer.Stream().Write("abc", 3);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

// --- streams ------------------------------------------------------------------------------

TEST(Streams, ReadBufferRaisesAtTheEnd) {
    TMemoryStream stream(Bytes{1, 2, 3});
    std::uint8_t buffer[4];
    EXPECT_THROW(stream.ReadBuffer(buffer, 4), EReadError);
    stream.SetPosition(10);
    EXPECT_EQ(stream.Read(buffer, 1), 0u);
    EXPECT_EQ(stream.Remaining(), 0u) << "past the end counts as nothing left";
}

// --- form data ----------------------------------------------------------------------------

Bytes FormData(const std::string& className, const Bytes& data) {
    Bytes out(1 + className.size() + 4);
    out[0] = static_cast<std::uint8_t>(className.size());
    std::copy(className.begin(), className.end(), out.begin() + 1);
    testing::Put32(out, 1 + className.size(), static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(FormDataPicture, Reading) {
    const Bytes bmp = SmallBmp();
    {
        TPicture picture;
        TMemoryStream stream(FormData("TBitmap", bmp));
        ReadPictureData(picture, stream);
        ASSERT_STREQ(picture.Graphic()->ClassName(), "TBitmap");
        EXPECT_EQ(static_cast<TBitmap*>(picture.Graphic())->GetPixel(1, 0), 0xFF0000u);
    }
    {
        TPicture picture;
        TMemoryStream stream(FormData("TBitmap", {}));
        ReadPictureData(picture, stream);
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_EQ(picture.Width(), 0);
    }
    {
        TPicture picture;
        picture.Bitmap().SetSize(2, 2);
        TMemoryStream stream(FormData("TGIFImage", bmp));
        ReadPictureData(picture, stream);
        EXPECT_EQ(picture.Graphic(), nullptr);
    }
    {
        TPicture picture;
        picture.Bitmap().SetSize(2, 2);
        Bytes cut = FormData("TBitmap", bmp);
        cut.resize(cut.size() - bmp.size() + 20);
        TMemoryStream stream(cut);
        EXPECT_THROW(ReadPictureData(picture, stream), EReadError);
        EXPECT_EQ(picture.Width(), 2);
    }
    {
        TPicture picture;
        TMemoryStream stream(Bytes{7, 'T', 'B', 'i'});
        EXPECT_THROW(ReadPictureData(picture, stream), EReadError);
    }
}

TEST(FormDataPicture, WriteThenRead) {
    TPicture picture;
    picture.Bitmap().SetSize(3, 2);
    picture.Bitmap().SetPixel(2, 1, 0x010203);
    TMemoryStream stream;
    WritePictureData(picture, stream);
    stream.SetPosition(0);
    TPicture copy;
    ReadPictureData(copy, stream);
    EXPECT_EQ(stream.Remaining(), 0u);
    EXPECT_EQ(static_cast<TBitmap*>(copy.Graphic())->GetPixel(2, 1), 0x010203u);
}

}  // namespace
}  // namespace brodix
