#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where a read string goes: asked once for room for the string's units, after its length was checked.
class string_sink_t {
public:
    virtual char16_t* room(size_t units) = 0;

protected:
    ~string_sink_t() = default;
};

// The sequential stream of the script and settings files. A reader reads exactly what the writer
// wrote, in the same order; each operation returns the storage so that calls can be chained.
class storage_t {
public:
    virtual storage_t& write_string(std::u16string_view text) = 0;
    virtual storage_t& write_bool(bool value) = 0;
    virtual storage_t& write_int(int32_t value) = 0;
    virtual storage_t& read_string(std::u16string& text) = 0;
    // The same into the sink's memory. The sink is asked for room only once the string can be read whole, so
    // on an error it is not asked at all.
    virtual storage_t& read_string(string_sink_t& sink) = 0;
    virtual storage_t& read_bool(bool& value) = 0;
    virtual storage_t& read_int(int32_t& value) = 0;

    // Byte position in the file of the next value to be read or written, so that an error in the
    // callers' data can name the place where the file went wrong.
    virtual uint64_t offset() const = 0;
    // Bytes left to read after offset(); 0 when writing. Lets a reader check a stored count against them.
    virtual uint64_t remaining() const = 0;

protected:
    // Storages are owned and deleted as their concrete class, never through this interface.
    ~storage_t() = default;
};
