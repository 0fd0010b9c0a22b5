#pragma once

// Files and folders for tests that write real files.

#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace brodix::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The growth of the peak resident memory while work runs, in a child process: its peak is
// reset first, so that what the test process held before does not count.
inline long PeakGrowthMb(const std::function<void()>& work) {
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const auto kb = [](const char* field) {
            std::ifstream status("/proc/self/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind(field, 0) == 0)
                    return std::atol(line.c_str() + std::strlen(field));
            return 0L;
        };
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = kb("VmRSS:");
        try {
            work();
        } catch (...) {
        }
        const long growth = (kb("VmHWM:") - before) / 1024;
        (void)!::write(fds[1], &growth, sizeof growth);
        ::_exit(0);
    }
    ::close(fds[1]);
    long growth = -1;
    (void)!::read(fds[0], &growth, sizeof growth);
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return growth;
}

// A fresh folder under the system's temporary folder, removed with its contents afterwards.
// Whether work ends within the seconds, run in a child process that a watchdog alarm ends: a
// hang fails the test instead of stopping the run.
inline bool EndsWithin(unsigned seconds, const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(seconds);
        work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brodix-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::string m_path;
};

// A file size limit for a disk that fills up: the kernel refuses writes past it (and SIGXFSZ
// is ignored meanwhile). The old limit and signal action come back however the test ends.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            throw std::runtime_error("getrlimit");
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_saved;
        small.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
            std::signal(SIGXFSZ, m_oldHandler);
            throw std::runtime_error("setrlimit");
        }
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    struct rlimit m_saved {};
    void (*m_oldHandler)(int) = SIG_DFL;
};

}  // namespace brodix::testing
