#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace brodix {

// A byte stream with a position, as the picture readers and writers use it.
class TStream {
  public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (fewer only at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes all count bytes or raises EWriteError ("ストリームへの書き込みエラー").
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual std::uint64_t Size() const = 0;
    virtual std::uint64_t Position() const = 0;
    virtual void SetPosition(std::uint64_t position) = 0;

    // Reads exactly count bytes or raises EReadError ("ストリームからの読み込みエラー").
    void ReadBuffer(void* buffer, std::size_t count);
    // Nothing remains once the position has been set past the end.
    std::uint64_t Remaining() const { return Position() < Size() ? Size() - Position() : 0; }
};

class TMemoryStream final : public TStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Size() const override { return m_bytes.size(); }
    std::uint64_t Position() const override { return m_position; }
    void SetPosition(std::uint64_t position) override { m_position = position; }

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

  private:
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_position = 0;
};

// Reading: opens an existing file (EFOpenError with the name when it cannot).
// Writing: see TSafeFileWriter in FileIO.h, which replaces a file only once it is complete.
class TFileStream final : public TStream {
  public:
    static std::unique_ptr<TFileStream> OpenRead(const std::string& fileName);
    ~TFileStream() override;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::uint64_t Size() const override { return m_size; }
    std::uint64_t Position() const override { return m_position; }
    void SetPosition(std::uint64_t position) override;

  private:
    TFileStream(int fd, std::uint64_t size, bool writable);
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
    bool m_writable = false;

    friend class TSafeFileWriter;
};

// The bytes of a file that can be read only once, from its start to its end: a pipe, a socket,
// a terminal or another character device (standard input among them). Its first headBytes
// bytes are read, then the rest up to limitFor(those bytes) bytes and one more, so that a file
// too large for the kind its start tells is known by its size without being read whole.
// Nothing for a file that can be read again by its name (a regular file), a folder, or a name
// that cannot be opened: the readers of the name refuse those with their own reasons.
std::optional<std::vector<std::uint8_t>> ReadOnceOnlyFile(
    const std::string& fileName, std::size_t headBytes,
    const std::function<std::uint64_t(std::span<const std::uint8_t> head)>& limitFor);

}  // namespace brodix
