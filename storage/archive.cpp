#include "storage/archive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "resources/texts.h"
#include "storage/storage_errors.h"
#include "storage/windows1251.h"

namespace {

[[noreturn]] void damaged(std::u16string_view pattern, std::initializer_list<std::u16string_view> args) {
    throw damaged_file_error(format_text(pattern, args));
}

}  // namespace

archive_reader_t::archive_reader_t(file_ops_t& ops, int handle, uint64_t file_size, stored_form_observer_t observer)
    : ops_(ops), observer_(std::move(observer)), handle_(handle), size_(file_size) {}

void archive_reader_t::read_more() {
    const long got = ops_.read(handle_, buffer_.data() + end_, buffer_.size() - end_);
    const uint64_t at = offset_ + buffered();
    if (got < 0) {
        const std::u16string where = number_text(static_cast<int64_t>(at));
        throw mfc_storage_ex_t(format_text(texts::storage_read_failed, {where}),
                               format_text(texts::storage_read_failed_detail, {where}));
    }
    // The file is shorter than it was when opened: it ends here, as a file short from the start would.
    if (got == 0) damaged(texts::storage_unexpected_end, {number_text(static_cast<int64_t>(at))});
    end_ += static_cast<size_t>(got);
}

void archive_reader_t::fill(size_t n) {
    if (begin_ != 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, buffered());
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ < n) read_more();
}

void archive_reader_t::read_bytes_slowly(void* out, size_t n) {
    if (n > remaining()) damaged(texts::storage_unexpected_end, {number_text(static_cast<int64_t>(size_))});
    auto* dst = static_cast<uint8_t*>(out);
    while (n > 0) {
        if (begin_ == end_) {
            begin_ = end_ = 0;
            read_more();
        }
        const size_t take = std::min(n, buffered());
        std::memcpy(dst, buffer_.data() + begin_, take);
        begin_ += take;
        dst += take;
        offset_ += take;
        n -= take;
    }
}

uint64_t archive_reader_t::read_length(uint64_t start, bool& wide) {
    wide = false;
    uint8_t b = read_u8();
    if (b < 0xFF) return b;
    uint16_t w = read_u16();
    if (w == 0xFFFE) {
        wide = true;
        b = read_u8();
        if (b < 0xFF) return b;
        w = read_u16();
        // A second marker is no length at all.
        if (w == 0xFFFE) damaged(texts::storage_bad_string_marker, {number_text(static_cast<int64_t>(start))});
    }
    return read_escaped_length(start, w);
}

// The rest of a length after its first escape byte; `w` is the 16-bit part already read.
uint64_t archive_reader_t::read_escaped_length(uint64_t start, uint16_t w) {
    uint64_t length = w;
    int level = 1;
    if (w == 0xFFFF) {
        const uint32_t d = read_u32();
        length = d;
        level = 2;
        if (d == 0xFFFFFFFF) {
            length = read_u64();
            level = 3;
        }
    }
    const int needed = length < 0xFF ? 0 : length < 0xFFFE ? 1 : length < 0xFFFFFFFF ? 2 : 3;
    if (level > needed) tell(stored_form_t::long_length, start);
    return length;
}

namespace {

// Copies `units` 16-bit units from `from` to `to`, each XORed with `key`, four at a time. On a little-endian
// host a unit's stored bytes and its bytes in memory are the same, so the reader and the writer both use it.
void copy_xored_units(void* to, const void* from, size_t units, uint16_t key) {
    auto* out = static_cast<uint8_t*>(to);
    const auto* in = static_cast<const uint8_t*>(from);
    if (key == 0) {
        if (units != 0) std::memcpy(out, in, units * 2);
        return;
    }
    const uint64_t keys = 0x0001000100010001ULL * key;
    size_t i = 0;
    for (; i + 4 <= units; i += 4) {
        uint64_t four;
        std::memcpy(&four, in + 2 * i, sizeof four);
        four ^= keys;
        std::memcpy(out + 2 * i, &four, sizeof four);
    }
    for (; i < units; ++i) {
        uint16_t unit;
        std::memcpy(&unit, in + 2 * i, sizeof unit);
        unit ^= key;
        std::memcpy(out + 2 * i, &unit, sizeof unit);
    }
}

// Units stored little-endian, each XORed with `key`, into `to`, on any host.
void decode_units(char16_t* to, const uint8_t* bytes, size_t units, uint16_t key) {
    if constexpr (std::endian::native == std::endian::little) {
        copy_xored_units(to, bytes, units, key);
    } else {
        for (size_t i = 0; i < units; ++i) to[i] = static_cast<char16_t>((bytes[2 * i] | bytes[2 * i + 1] << 8) ^ key);
    }
}

// Gives the caller's string exactly the units asked for.
class string_room_t : public string_sink_t {
public:
    explicit string_room_t(std::u16string& text) : text_(text) {}
    char16_t* room(size_t units) override {
        text_.resize(units);
        return text_.data();
    }

private:
    std::u16string& text_;
};

}  // namespace

void archive_reader_t::read_string(std::u16string& text, uint16_t key) {
    // The sink is asked for room only when nothing can fail any more: on an error `text` stays as it was.
    string_room_t room(text);
    read_string(room, key);
}

void archive_reader_t::read_string(string_sink_t& sink, uint16_t key) {
    const uint64_t start = offset_;
    bool wide = false;
    uint64_t length = 0;
    const uint8_t* head = buffer_.data() + begin_;
    if (buffered() >= 4 && head[0] == 0xFF && head[1] == 0xFE && head[2] == 0xFF && head[3] < 0xFF) {
        // The writer's form of a string below 255 units, which nearly every string of a script is.
        wide = true;
        length = head[3];
        begin_ += 4;
        offset_ += 4;
    } else {
        length = read_length(start, wide);
    }
    const uint64_t unit = wide ? 2 : 1;
    if (length > remaining() / unit) {
        // Reported as unsigned text: a 64-bit length may not fit a signed number.
        std::string digits = std::to_string(length);
        damaged(texts::storage_bad_string_length,
                {std::u16string(digits.begin(), digits.end()), number_text(static_cast<int64_t>(start))});
    }
    const auto n = static_cast<size_t>(length);
    if (!wide) {
        tell(stored_form_t::string_without_marker, start);
        std::string bytes(n, '\0');
        read_bytes(bytes.data(), n);
        std::u16string text = decode_windows1251(bytes);
        char16_t* to = sink.room(text.size());
        for (size_t i = 0; i < text.size(); ++i) to[i] = static_cast<char16_t>(text[i] ^ key);
        return;
    }
    if (2 * n <= buffer_.size()) {
        // The units go from the buffer straight to the sink, once the buffer holds them all: a read that
        // fails leaves the sink unasked.
        if (2 * n > buffered()) fill(2 * n);
        decode_units(sink.room(n), buffer_.data() + begin_, n, key);
        begin_ += 2 * n;
        offset_ += 2 * uint64_t(n);
        return;
    }
    // A read can fail halfway: the units are gathered first.
    std::u16string read(n, u'\0');
    uint8_t chunk[512];
    for (size_t done = 0; done < n;) {
        size_t units = std::min(n - done, sizeof chunk / 2);
        read_bytes(chunk, units * 2);
        decode_units(read.data() + done, chunk, units, key);
        done += units;
    }
    std::copy(read.begin(), read.end(), sink.room(n));
}

archive_writer_t::archive_writer_t(atomic_writer_t& out) : out_(out) {}

void archive_writer_t::check() const {
    if (failed_) throw mfc_storage_ex_t(texts::storage_save_failed, texts::storage_save_failed_detail);
}

bool archive_writer_t::flush() {
    if (failed_) return false;
    failed_ = !out_.write(buffer_.data(), used_);
    used_ = 0;
    return !failed_;
}

void archive_writer_t::put_slowly(const uint8_t* bytes, size_t n) {
    check();
    while (n > 0) {
        if (used_ == buffer_.size() && !flush()) check();
        size_t take = std::min(n, buffer_.size() - used_);
        std::copy(bytes, bytes + take, buffer_.begin() + static_cast<long>(used_));
        used_ += take;
        offset_ += take;
        bytes += take;
        n -= take;
    }
}

void archive_writer_t::write_string(std::u16string_view text, uint16_t key) {
    const uint64_t n = text.size();
    if (n < 0xFF) {
        // The marker and the length in one step, as nearly every string of a script is short.
        const uint8_t head[4] = {0xFF, 0xFE, 0xFF, static_cast<uint8_t>(n)};
        put(head, sizeof head);
    } else {
        write_u8(0xFF);
        write_u16(0xFFFE);
        write_u8(0xFF);
        if (n < 0xFFFE) {
            write_u16(static_cast<uint16_t>(n));
        } else {
            write_u16(0xFFFF);
            if (n < 0xFFFFFFFF) {
                write_u32(static_cast<uint32_t>(n));
            } else {
                write_u32(0xFFFFFFFF);
                write_u64(n);
            }
        }
    }
    if constexpr (std::endian::native == std::endian::little) {
        if (key == 0) {
            put(reinterpret_cast<const uint8_t*>(text.data()), text.size() * 2);
            return;
        }
    }
    uint8_t chunk[512];
    for (size_t done = 0; done < text.size();) {
        const size_t units = std::min(text.size() - done, sizeof chunk / 2);
        if constexpr (std::endian::native == std::endian::little) {
            copy_xored_units(chunk, text.data() + done, units, key);
        } else {
            for (size_t i = 0; i < units; ++i) {
                const auto unit = static_cast<uint16_t>(text[done + i] ^ key);
                chunk[2 * i] = static_cast<uint8_t>(unit);
                chunk[2 * i + 1] = static_cast<uint8_t>(unit >> 8);
            }
        }
        put(chunk, units * 2);
        done += units;
    }
}
