#include "raster/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "raster/Exceptions.h"
#include "raster/FileName.h"

namespace brodix {

namespace {

// The folder a file of the name lies in, final '/' kept: "./" for a bare name.
std::string FolderOf(const std::string& path) {
    const std::string folder = FolderPart(path);
    return folder.empty() ? "./" : folder;
}

// Renaming over a symbolic link would replace the link itself; the user meant the file it
// names, so the real path is written instead.
std::string ResolveTarget(const std::string& fileName) {
    struct stat info {};
    if (::lstat(fileName.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(fileName.c_str(), resolved) != nullptr)
            return resolved;
    }
    return fileName;
}

mode_t ModeForNewFile(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0)
        return info.st_mode & 07777;
    // umask() can only be read by setting it; the program has one thread, so the brief
    // change is not seen by anyone.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

TSafeFileWriter::TSafeFileWriter(const std::string& fileName) : m_target(ResolveTarget(fileName)) {
    const auto fail = [&] { throw EFCreateError(FormatMessage(msg::kFCreateError, fileName)); };
    struct stat info {};
    if (fileName.empty() || fileName.back() == '/')
        fail();
    if (::stat(m_target.c_str(), &info) == 0) {
        // The rename would replace a file that may not be written, which opening it for
        // writing in place would refuse.
        if (!S_ISREG(info.st_mode) || ::access(m_target.c_str(), W_OK) != 0)
            fail();
    }

    const std::string folder = FolderOf(m_target);
    std::string base = NamePart(m_target);
    // Keep the temporary name within the usual 255-byte limit of a name.
    if (base.size() > 200)
        base.resize(200);
    std::string pattern = folder + "." + base + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        fail();
    m_temporary.assign(buffer.data());
    ::fchmod(fd, ModeForNewFile(m_target));
    m_stream.reset(new TFileStream(fd, 0, true));
}

TSafeFileWriter::~TSafeFileWriter() {
    if (!m_committed)
        Discard();
}

void TSafeFileWriter::Discard() noexcept {
    m_stream.reset();
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

void TSafeFileWriter::Commit() {
    if (m_committed)
        return;
    const int fd = m_stream->m_fd;
    bool ok = ::fsync(fd) == 0;
    m_stream->m_fd = -1;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Discard();
        throw EWriteError(msg::kWriteError);
    }
    m_committed = true;
    m_stream.reset();
    // Make the rename itself durable; a failure here leaves a complete file either way.
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

}  // namespace brodix
