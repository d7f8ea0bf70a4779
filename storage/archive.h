#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/atomic_writer.h"
#include "core/file_ops.h"
#include "storage/storage.h"

// The archive's encoding of values, little-endian throughout. A string is stored as the Unicode marker
// (FF FE FF), its length in UTF-16 units (one byte below 255; else FF and 16 bits below 0xFFFE; else FF FF FF
// and 32 bits below 0xFFFFFFFF; else also FF FF FF FF and 64 bits), then the units. Strings without the
// marker (from other writers) hold 8-bit Windows-1251 characters.

// A form the reader accepts but the writer never produces; the same data is written back in the writer's
// form, so a file holding one does not come out byte for byte the same.
enum class stored_form_t {
    string_without_marker,  // an 8-bit string from another writer
    long_length,            // a length written with a longer escape than it needs
    flag_byte,              // a flag stored as a byte other than 0 and 1
};
// Told of each such form met while reading, with the byte offset of the value.
using stored_form_observer_t = std::function<void(stored_form_t form, uint64_t offset)>;

// Sequential reader over an open file, with plain reads into one buffer it keeps. The file is never mapped:
// a mapped file that another process cuts short kills the reader with SIGBUS, where a read just comes back
// short. It never trusts a stored length beyond the bytes left in the file: every fault of the data, a file
// cut short while it is read included, is an mfc_storage_ex_t naming its byte offset.
class archive_reader_t {
public:
    static constexpr size_t buffer_size = 4096;

    archive_reader_t(file_ops_t& ops, int handle, uint64_t file_size, stored_form_observer_t observer = {});
    archive_reader_t(const archive_reader_t&) = delete;
    archive_reader_t& operator=(const archive_reader_t&) = delete;

    // Fixed-size values are decoded inline from the buffer: a script file is mostly 1- to 4-byte fields.
    uint8_t read_u8() {
        uint8_t b[1];
        read_bytes(b, 1);
        return b[0];
    }
    uint16_t read_u16() {
        uint8_t b[2];
        read_bytes(b, 2);
        return static_cast<uint16_t>(b[0] | b[1] << 8);
    }
    uint32_t read_u32() {
        uint8_t b[4];
        read_bytes(b, 4);
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
               static_cast<uint32_t>(b[3]) << 24;
    }
    uint64_t read_u64() {
        const uint64_t low = read_u32();
        return low | static_cast<uint64_t>(read_u32()) << 32;
    }
    // Reads a string into `text` (reusing its storage), every unit XORed with `key` (0 leaves it as stored).
    // On an error `text` is left as it was.
    void read_string(std::u16string& text, uint16_t key = 0);
    // The same into the sink's room, which is asked for only once the string can be read whole.
    void read_string(string_sink_t& sink, uint16_t key = 0);
    std::u16string read_string() {
        std::u16string text;
        read_string(text);
        return text;
    }

    // Offset of the next byte to be read.
    uint64_t offset() const { return offset_; }
    uint64_t remaining() const { return size_ - offset_; }

private:
    size_t buffered() const { return end_ - begin_; }
    void read_bytes(void* out, size_t n) {
        if (n <= buffered()) {
            std::memcpy(out, buffer_.data() + begin_, n);
            begin_ += n;
            offset_ += n;
            return;
        }
        read_bytes_slowly(out, n);
    }
    // Past the end of the file, or across the end of the buffer.
    void read_bytes_slowly(void* out, size_t n);
    // Makes the buffer hold at least `n` bytes (no more than its size) from the read position on.
    void fill(size_t n);
    // Reads once into the buffer after what it holds; a failed read, or none where the file should go on,
    // is an error naming the offset of the bytes that could not be read.
    void read_more();
    uint64_t read_length(uint64_t start, bool& wide);
    uint64_t read_escaped_length(uint64_t start, uint16_t first);
    void tell(stored_form_t form, uint64_t offset) const {
        if (observer_) observer_(form, offset);
    }

    file_ops_t& ops_;
    stored_form_observer_t observer_;
    int handle_;
    uint64_t size_;  // when the file was opened
    uint64_t offset_ = 0;
    // The bytes from begin_ to end_ are those at offset_ on.
    std::array<uint8_t, buffer_size> buffer_{};
    size_t begin_ = 0;
    size_t end_ = 0;
};

// Buffered sequential writer into the crash-safe writer's file. The file is written when the buffer fills
// and on flush. After a failed write the writer stays failed: every later call throws the same
// mfc_storage_ex_t, so that a file with a hole in it can never be completed and put in place.
class archive_writer_t {
public:
    static constexpr size_t buffer_size = 4096;

    explicit archive_writer_t(atomic_writer_t& out);

    // Fixed-size values go into the buffer inline: a script file is mostly 1- to 4-byte fields.
    void write_u8(uint8_t v) { put(&v, 1); }
    void write_u16(uint16_t v) {
        const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
        put(b, 2);
    }
    void write_u32(uint32_t v) {
        const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                              static_cast<uint8_t>(v >> 24)};
        put(b, 4);
    }
    void write_u64(uint64_t v) {
        write_u32(static_cast<uint32_t>(v));
        write_u32(static_cast<uint32_t>(v >> 32));
    }
    // Writes a string, every unit XORed with `key` (0 writes it as it is).
    void write_string(std::u16string_view text, uint16_t key = 0);
    // Writes out the buffer; false when the file could not take it.
    bool flush();

    bool failed() const { return failed_; }
    // Bytes written so far, buffered ones included.
    uint64_t offset() const { return offset_; }

private:
    void put(const uint8_t* bytes, size_t n) {
        if (!failed_ && n <= buffer_.size() - used_) {
            if (n != 0) std::memcpy(buffer_.data() + used_, bytes, n);  // an empty string's units may be null
            used_ += n;
            offset_ += n;
            return;
        }
        put_slowly(bytes, n);
    }
    // Through a full buffer, or after a failed write.
    void put_slowly(const uint8_t* bytes, size_t n);
    void check() const;

    atomic_writer_t& out_;
    uint64_t offset_ = 0;
    std::array<uint8_t, buffer_size> buffer_{};
    size_t used_ = 0;
    bool failed_ = false;
};
