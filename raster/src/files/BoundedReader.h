#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "LittleEndian.h"
#include "raster/Exceptions.h"
#include "raster/Stream.h"

namespace brodix {

// The bytes of a picture file as its reader may take them: a stream limited to the file's own
// length, so that a picture inside a larger stream (form data) never reads what follows it,
// and no read runs past the end. A read that would raises EReadError
// ("ストリームからの読み込みエラー") carrying the caller's reason, which names the part of the
// file that is cut short.
class BoundedReader {
  public:
    BoundedReader(TStream& stream, std::uint64_t length) : m_stream(stream), m_left(length) {}

    std::uint64_t Left() const { return std::min(m_left, m_stream.Remaining()); }

    void ReadExact(void* buffer, std::size_t count, const char* reason) {
        if (count > Left())
            throw EReadError(msg::kReadError, reason);
        m_stream.ReadBuffer(buffer, count);
        m_left -= count;
    }

    // Reads what there is, up to count bytes.
    std::size_t ReadSome(void* buffer, std::size_t count) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, Left()));
        const std::size_t got = wanted == 0 ? 0 : m_stream.Read(buffer, wanted);
        m_left -= got;
        return got;
    }

    void Skip(std::uint64_t count, const char* reason) {
        if (count > Left())
            throw EReadError(msg::kReadError, reason);
        m_stream.SetPosition(m_stream.Position() + count);
        m_left -= count;
    }

    std::uint16_t Le16(const char* reason) {
        std::uint8_t bytes[2];
        ReadExact(bytes, sizeof bytes, reason);
        return GetLe16(bytes);
    }
    std::uint32_t Le32(const char* reason) {
        std::uint8_t bytes[4];
        ReadExact(bytes, sizeof bytes, reason);
        return GetLe32(bytes);
    }
    std::int16_t LeInt16(const char* reason) { return static_cast<std::int16_t>(Le16(reason)); }
    std::int32_t LeInt32(const char* reason) { return static_cast<std::int32_t>(Le32(reason)); }

  private:
    TStream& m_stream;
    std::uint64_t m_left;
};

// Bytes already in memory as a read-only stream, for the readers that keep their whole file
// (icon, metafile) and read its fields through a BoundedReader like every other reader.
class ByteView final : public TStream {
  public:
    explicit ByteView(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, Remaining()));
        if (n == 0)
            return 0;
        std::copy_n(m_bytes.data() + m_position, n, static_cast<std::uint8_t*>(buffer));
        m_position += n;
        return n;
    }
    void Write(const void* /*buffer*/, std::size_t /*count*/) override {
        throw EWriteError(msg::kWriteError);
    }
    std::uint64_t Size() const override { return m_bytes.size(); }
    std::uint64_t Position() const override { return m_position; }
    void SetPosition(std::uint64_t position) override { m_position = position; }

  private:
    std::span<const std::uint8_t> m_bytes;
    std::uint64_t m_position = 0;
};

}  // namespace brodix
