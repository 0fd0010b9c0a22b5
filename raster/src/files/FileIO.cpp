#include "raster/FileIO.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
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

// The kernel's rule for protected links: in a sticky folder that everyone may write, such as
// /tmp, a link is followed only when its owner is the follower or the folder's owner. Elsewhere
// another user could plant a link there and have this program write where the link points.
bool MayFollowLink(const struct stat& link, const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return false;
    const bool shared = (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == info.st_uid;
}

// The first link met on the way to path, in its folders as well as at its end, that may not be
// followed (empty when every one may): a link planted in a shared sticky folder must not lead
// a write into another folder. The path is resolved by hand, one component at a time, as the
// kernel does.
std::string FirstLinkNotFollowed(const std::string& path) {
    std::deque<std::string> pending;
    const auto queue = [&pending](const std::string& text) {
        std::vector<std::string> parts;
        std::size_t start = 0;
        for (std::size_t slash; (slash = text.find('/', start)) != std::string::npos;
             start = slash + 1)
            parts.push_back(text.substr(start, slash - start));
        parts.push_back(text.substr(start));
        pending.insert(pending.begin(), parts.begin(), parts.end());
    };
    queue(path);
    std::string base = !path.empty() && path[0] == '/' ? "" : ".";
    int hops = 0;
    while (!pending.empty()) {
        const std::string part = pending.front();
        pending.pop_front();
        if (part.empty() || part == ".")
            continue;
        const std::string candidate = base + "/" + part;
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) != 0)
            return {};  // the rest does not exist yet: no link on it
        if (!S_ISLNK(info.st_mode)) {
            base = candidate;
            continue;
        }
        // The kernel gives up after 40 links; so does this walk, leaving the rest to it.
        if (++hops > 40)
            return {};
        if (!MayFollowLink(info, base.empty() ? "/" : base))
            return candidate;
        std::vector<char> buffer(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t length = ::readlink(candidate.c_str(), buffer.data(), buffer.size() - 1);
        if (length <= 0)
            return {};
        const std::string next(buffer.data(), static_cast<std::size_t>(length));
        if (next[0] == '/')
            base.clear();
        queue(next);
    }
    return {};
}

// Renaming over a symbolic link would replace the link itself; the user meant the file it
// names, so the real path is written instead. The links are followed by hand, so each one is
// held to the rule the kernel would apply; false when one of them breaks it.
bool ResolveTarget(const std::string& fileName, std::string& target) {
    target = fileName;
    if (!FirstLinkNotFollowed(fileName).empty())
        return false;
    std::string path = fileName;
    struct stat info {};
    // The kernel gives up after 40 links; so does this walk, leaving the rest to realpath.
    for (int hop = 0; hop < 40 && ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
         ++hop) {
        const std::string folder = FolderOf(path);
        if (!MayFollowLink(info, folder))
            return false;
        std::vector<char> buffer(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size() - 1);
        if (length < 0)
            break;
        const std::string next(buffer.data(), static_cast<std::size_t>(length));
        path = !next.empty() && next[0] == '/' ? next : folder + "/" + next;
    }
    if (path != fileName) {
        char resolved[PATH_MAX];
        if (::realpath(fileName.c_str(), resolved) != nullptr)
            target = resolved;
    }
    return true;
}

// The longest name a file may have in the folder (usually 255 bytes).
std::size_t NameLimit(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

// The temporary file being written, for the interrupt handler. A handler may not allocate or
// lock, so the name lies in a fixed buffer, valid while the flag is set.
char g_pendingTemporary[PATH_MAX];
volatile std::sig_atomic_t g_pendingSet = 0;

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RegisterTemporary(const std::string& path) noexcept {
    g_pendingSet = 0;
    if (path.size() >= sizeof g_pendingTemporary)
        return;
    // The fences keep the compiler from moving the copy across the flag.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(g_pendingTemporary, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_pendingSet = 1;
}

void ForgetTemporary(const std::string& path) noexcept {
    if (g_pendingSet != 0 && path == g_pendingTemporary)
        g_pendingSet = 0;
}

extern "C" void RemoveTemporaryAndRaise(int signal) {
    if (g_pendingSet != 0)
        ::unlink(g_pendingTemporary);
    // The program then ends as the signal would have ended it, so that its parent sees why.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(signal, &standard, nullptr);
    ::raise(signal);
}

// Holds the interrupt signals back while a file is half made, so that no handler runs between
// creating a temporary file and recording it, or while a file is rewritten in place.
class InterruptsHeld {
  public:
    InterruptsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : kInterruptSignals)
            sigaddset(&set, signal);
        ::pthread_sigmask(SIG_BLOCK, &set, &m_saved);
    }
    ~InterruptsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_saved, nullptr); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

  private:
    sigset_t m_saved{};
};

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

TSafeFileWriter::TSafeFileWriter(const std::string& fileName) {
    // The system's reason rides on the error; 0 where it gave none (a link not followed, a
    // name that is no regular file), which WriteFailureReason() then finds.
    const auto fail = [&](int systemError) {
        throw EFCreateError(FormatMessage(msg::kFCreateError, fileName), "create", systemError);
    };
    struct stat info {};
    if (fileName.empty() || fileName.back() == '/')
        fail(fileName.empty() ? ENOENT : EISDIR);
    if (!ResolveTarget(fileName, m_target))
        fail(0);
    const bool exists = ::stat(m_target.c_str(), &info) == 0;
    if (exists) {
        // The rename would replace a file that may not be written, which opening it for
        // writing in place would refuse.
        if (!S_ISREG(info.st_mode))
            fail(S_ISDIR(info.st_mode) ? EISDIR : 0);
        if (::access(m_target.c_str(), W_OK) != 0)
            fail(errno);
    }

    const std::string folder = FolderOf(m_target);
    std::string base = NamePart(m_target);
    // Only the rename at the end would find out that the name is too long.
    if (NamePart(fileName).size() > NameLimit(FolderOf(fileName)) ||
        base.size() > NameLimit(folder))
        fail(ENAMETOOLONG);
    // Keep the temporary name within the usual 255-byte limit of a name.
    if (base.size() > 200)
        base.resize(200);
    std::string pattern = folder + "." + base + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = -1;
    int error = 0;
    {
        const InterruptsHeld held;
        fd = ::mkostemp(buffer.data(), O_CLOEXEC);
        error = errno;
        if (fd >= 0)
            RegisterTemporary(buffer.data());
    }
    if (fd < 0) {
        // A folder the user may not write still lets a file in it that they may write be
        // replaced: then the file is rewritten in place.
        if (exists && (error == EACCES || error == EPERM)) {
            m_stream = std::make_unique<TMemoryStream>();
            return;
        }
        fail(error);
    }
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
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        ForgetTemporary(m_temporary);
    }
    m_temporary.clear();
}

void TSafeFileWriter::Commit() {
    if (m_committed)
        return;
    if (m_temporary.empty()) {
        CommitInPlace();
        return;
    }
    auto& file = static_cast<TFileStream&>(*m_stream);
    const int fd = file.m_fd;
    int error = ::fsync(fd) == 0 ? 0 : errno;
    file.m_fd = -1;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        Discard();
        throw EWriteError(msg::kWriteError, "commit", error);
    }
    ForgetTemporary(m_temporary);
    m_committed = true;
    m_stream.reset();
    // Make the rename itself durable; a failure here leaves a complete file either way.
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// Without a rename the old bytes cannot survive a failure whole, so the new ones are complete
// in memory first and the disk space is reserved before the first old byte changes: a full
// disk, or a file size limit, then refuses the save and leaves the file as it was.
void TSafeFileWriter::CommitInPlace() {
    const auto& bytes = static_cast<TMemoryStream&>(*m_stream).Bytes();
    const int fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
    if (fd < 0)
        throw EWriteError(msg::kWriteError, "open", errno);
    struct rlimit limit {};
    bool ok = ::getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
              (limit.rlim_cur == RLIM_INFINITY || bytes.size() <= limit.rlim_cur);
    int error = ok ? 0 : EFBIG;
    ok = ok && (bytes.empty() ||
                ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) == 0 ||
                errno == EOPNOTSUPP);
    if (ok) {
        const InterruptsHeld held;
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n =
                ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            done += ok ? static_cast<std::size_t>(n) : 0;
        }
        ok = ok && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    }
    if (!ok && error == 0)
        error = errno != 0 ? errno : EIO;
    ok = (::close(fd) == 0) && ok;
    m_stream.reset();
    if (!ok)
        throw EWriteError(msg::kWriteError, "rewrite", error != 0 ? error : EIO);
    m_committed = true;
}

namespace {

// What makes two names one file: device and inode for a file that exists (links followed),
// else the absolute path with the links of its folders followed.
std::string IdentityOf(const struct stat& info) {
    return std::to_string(info.st_dev).append(":").append(std::to_string(info.st_ino));
}

std::string FileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return IdentityOf(info);
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    std::string identity = "/";  // never a device number: paths and inodes do not meet
    return identity.append(
        std::filesystem::weakly_canonical(absolute, error).lexically_normal().string());
}

}  // namespace

std::string LinkNotFollowed(const std::string& path) {
    return FirstLinkNotFollowed(path);
}

void RequireDistinctFiles(const std::vector<std::string>& inputs,
                          const std::vector<std::string>& outputs) {
    std::map<std::string, std::string> read;
    for (const std::string& input : inputs)
        read.emplace(FileIdentity(input), input);
    std::map<std::string, std::string> written;
    for (const std::string& output : outputs) {
        const std::string identity = FileIdentity(output);
        if (const auto found = read.find(identity); found != read.end())
            throw EFCreateError("cannot write " + output + ": it is " + found->second +
                                ", which this run reads; choose another name");
        if (const auto [found, added] = written.emplace(identity, output); !added)
            throw EFCreateError("cannot write " + output + ": this run already writes " +
                                found->second + " there; choose another name");
    }
}

void RequireStandardOutputApart(const std::vector<std::string>& inputs,
                                const std::vector<std::string>& outputs) {
    struct stat info {};
    if (::fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode))
        return;
    const std::string identity = IdentityOf(info);
    for (const auto* files : {&inputs, &outputs}) {
        for (const std::string& file : *files) {
            if (FileIdentity(file) == identity) {
                throw EFCreateError("cannot write standard output: it is " + file +
                                    (files == &inputs ? ", which this run reads"
                                                      : ", which this run writes as well") +
                                    "; send it to another file");
            }
        }
    }
}

void InstallInterruptCleanup() {
    // A reader that closed the pipe, or a file size limit, is a failed write to be reported
    // like any other, its temporary file removed; by default either signal ends the program
    // halfway, without a word.
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
    for (const int signal : kInterruptSignals) {
        struct sigaction previous {};
        ::sigaction(signal, nullptr, &previous);
        // A signal the program was started to ignore (nohup, a background job) stays ignored.
        if (previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndRaise;
        sigemptyset(&action.sa_mask);
        for (const int other : kInterruptSignals)
            sigaddset(&action.sa_mask, other);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace brodix
