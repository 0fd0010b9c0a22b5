#include "raster/FileFailure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "raster/Exceptions.h"
#include "raster/FileIO.h"
#include "raster/FileName.h"

namespace brodix {

namespace {

std::string Reason(int error) {
    return error == 0 ? std::string() : std::string(std::strerror(error));
}

}  // namespace

std::string ReadFailureReason(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Reason(errno);
    struct stat info {};
    const int error = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
    ::close(fd);
    return Reason(error);
}

std::string WriteFailureReason(const std::string& fileName) {
    if (const std::string link = LinkNotFollowed(fileName); !link.empty()) {
        return "the link " + link +
               " lies in a folder that everyone may write and belongs to another user, so it "
               "is not followed (the system's rule for protected links)";
    }
    struct stat info {};
    const bool exists = ::stat(fileName.c_str(), &info) == 0;
    if (exists) {
        if (S_ISDIR(info.st_mode))
            return Reason(EISDIR);
        if (!S_ISREG(info.st_mode))
            return "it is not a regular file";
        if (::access(fileName.c_str(), W_OK) != 0)
            return Reason(errno);
    }
    const std::string folder = FolderPart(fileName).empty() ? "." : FolderPart(fileName);
    if (::stat(folder.c_str(), &info) != 0)
        return Reason(errno);
    if (!S_ISDIR(info.st_mode))
        return Reason(ENOTDIR);
    // A folder that takes no new files still lets an existing, writable file be rewritten.
    if (!exists && ::access(folder.c_str(), W_OK) != 0)
        return Reason(errno);
    return {};
}

std::string CannotReadText(const std::string& fileName) {
    const std::string reason = ReadFailureReason(fileName);
    return "cannot read " + fileName + (reason.empty() ? std::string() : ": " + reason);
}

std::string CannotWriteText(const std::string& fileName, int systemError) {
    const std::string reason =
        systemError != 0 ? Reason(systemError) : WriteFailureReason(fileName);
    return "cannot write " + fileName + (reason.empty() ? std::string() : ": " + reason);
}

void WriteDocumentFile(const std::string& fileName, std::string_view bytes) {
    WriteDocumentFile(fileName,
                      [bytes](TStream& stream) { stream.Write(bytes.data(), bytes.size()); });
}

void WriteDocumentFile(const std::string& fileName, const std::function<void(TStream&)>& write) {
    try {
        TSafeFileWriter writer(fileName);
        write(writer.Stream());
        writer.Commit();
    } catch (const EFCreateError& failure) {
        throw EFCreateError(CannotWriteText(fileName, failure.SystemError()),
                            "document not created");
    } catch (const EWriteError& failure) {
        throw EWriteError(CannotWriteText(fileName, failure.SystemError()), "document not written");
    }
}

}  // namespace brodix
