// ostrevan-cfg: compiles the XML source of a script into "config.cfg" (or a settings file), dumps any
// such file back to XML, and checks a file by loading it as the program does.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cfg_file.h"
#include "cfg_xml.h"
#include "commands.h"
#include "core/memory_file_ops.h"
#include "core/text_error.h"
#include "core/u16.h"
#include "install_command.h"
#include "menu_outline.h"
#include "resources/texts.h"
#include "script/factory.h"
#include "script/script_context.h"
#include "script/tag_errors.h"
#include "storage/mfc_storage.h"
#include "storage/storage_errors.h"
#include "vars/var_scope.h"

namespace {

struct arguments_t {
    QString command, input, output;
    std::u16string pin;
};

std::optional<arguments_t> parse_arguments(int argc, char** argv) {
    if (argc < 3) return std::nullopt;
    arguments_t args{QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), {}, {}};
    for (int i = 3; i < argc; ++i) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        if (i + 1 >= argc) return std::nullopt;
        const QString value = QString::fromLocal8Bit(argv[++i]);
        if (option == QLatin1String("-o") && args.command == QLatin1String("compile"))
            args.output = value;
        else if (option == QLatin1String("--pin"))
            args.pin = value.toStdU16String();
        else
            return std::nullopt;
    }
    if (args.command == QLatin1String("compile")
            ? args.output.isEmpty()
            : args.command != QLatin1String("dump") && args.command != QLatin1String("check")) {
        return std::nullopt;
    }
    return args;
}

void print(FILE* to, const std::u16string& text) {
    std::fputs(to_utf8(text).c_str(), to);
}

int fail(const QString& place, const std::u16string& message) {
    print(stderr, place.toStdU16String() + u": " + message + u"\n");
    return 1;
}

std::u16string at_offset(uint64_t offset, const std::u16string& message) {
    return format_text(texts::cfg_at_offset, {number_text(int64_t(offset)), message});
}

// The code word as it stands in the file (the factory reports it with the attributes bit cleared, which turns
// a stored -1 into -32769); integers are never scrambled.
std::u16string stored_code_text(const arguments_t& args, uint64_t offset, int32_t reported) {
    std::ifstream in(args.input.toStdString(), std::ios::binary);
    unsigned char b[4] = {};
    if (!in.seekg(std::streamoff(offset)) || !in.read(reinterpret_cast<char*>(b), 4)) return number_text(reported);
    const auto word = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    return number_text(word >= 0 && word <= 0xFFFF ? word & ~attributes_bit : word);
}

// Runs a reading of `path` and turns its errors into the message that names the place. An unknown code
// comes right after the record's 4-byte code word.
int read_file(const arguments_t& args, const std::function<int(mfc_storage_t&)>& body) {
    std::unique_ptr<mfc_storage_t> storage;
    try {
        storage = std::make_unique<mfc_storage_t>(args.input.toStdU16String(), mfc_storage_t::mode_read, args.pin);
        return body(*storage);
    } catch (const tag_unknown_ex_t& e) {
        const uint64_t at = storage->offset() - 4;
        return fail(args.input,
                    at_offset(at, format_text(texts::tag_code_unknown, {stored_code_text(args, at, e.code)})));
    } catch (const image_misplaced_ex_t& e) {
        return fail(args.input,
                    at_offset(e.offset, format_text(texts::cfg_image_misplaced, {e.text(), tag_name(e.parent_code)})));
    } catch (const mfc_storage_ex_t& e) {
        return fail(args.input, e.detail());
    } catch (const text_error_t& e) {
        return fail(args.input, e.text());
    } catch (const cfg_error_t& e) {
        return fail(QString::fromStdU16String(e.place), e.message);
    }
}

// Bytes after the tree are never read by the program, and a dump cannot carry them.
void warn_trailing_bytes(const arguments_t& args, const storage_t& storage) {
    std::error_code error;
    const auto size = std::filesystem::file_size(args.input.toStdString(), error);
    if (!error && size > storage.offset()) {
        fail(args.input, format_text(texts::cfg_trailing_bytes, {number_text(int64_t(size - storage.offset()))}));
    }
}

int compile(const arguments_t& args) {
    QFile in(args.input);
    if (!in.open(QIODevice::ReadOnly)) return fail(args.input, texts::cfg_cannot_read);
    try {
        const cfg_file_t file = parse_cfg_xml(in.readAll(), args.input);
        // A settings file (with a PIN) is private; a script is for others to read. A file replaced keeps its mode.
        const file_permissions_t permissions = args.pin.empty() ? shared_file : file_permissions_t{0600, true};
        mfc_storage_t out(args.output.toStdU16String(), mfc_storage_t::mode_write, args.pin, posix_file_ops(),
                          permissions);
        write_cfg(out, file);
        if (!out.close()) return fail(args.output, out.last_error_detail);
        return 0;
    } catch (const cfg_error_t& e) {
        return fail(QString::fromStdU16String(e.place), e.message);
    } catch (const mfc_storage_ex_t& e) {
        return fail(args.output, e.detail());
    } catch (const text_error_t& e) {
        return fail(args.output, format_text(texts::cfg_cannot_write, {e.text()}));
    }
}

// The first offset at which the file as compiling would write it differs from the input's first `length` bytes.
std::optional<uint64_t> first_difference_when_written(const arguments_t& args, const cfg_file_t& file,
                                                      uint64_t length) {
    memory_file_ops_t memory;
    {
        mfc_storage_t out(u"written.cfg", mfc_storage_t::mode_write, args.pin, memory);
        write_cfg(out, file);
        if (!out.close()) return std::nullopt;
    }
    const std::vector<unsigned char>& written = memory.files["written.cfg"];
    std::ifstream in(args.input.toStdString(), std::ios::binary);
    std::vector<unsigned char> original(length);
    in.read(reinterpret_cast<char*>(original.data()), std::streamsize(length));
    original.resize(size_t(in.gcount()));
    const auto mismatch = std::mismatch(original.begin(), original.end(), written.begin(), written.end());
    if (mismatch.first == original.end() && mismatch.second == written.end()) return std::nullopt;
    return uint64_t(mismatch.first - original.begin());
}

std::u16string form_warning(stored_form_t form, uint64_t at) {
    const char16_t* pattern = form == stored_form_t::string_without_marker ? texts::cfg_warn_string_without_marker
                              : form == stored_form_t::long_length         ? texts::cfg_warn_long_length
                                                                           : texts::cfg_warn_flag_byte;
    return format_text(pattern, {number_text(int64_t(at))});
}

// The file as the model reads it, with a warning for each value that the compiler would write back in
// another form (dumping and compiling gives the same bytes only for files in the form the writer produces).
cfg_file_t read_cfg_warning(const arguments_t& args, mfc_storage_t& storage) {
    std::vector<std::u16string> warnings;
    storage.set_form_observer([&](stored_form_t form, uint64_t at) { warnings.push_back(form_warning(form, at)); });
    // Read again from the header, now with the observer.
    if (!storage.open(storage.path(), mfc_storage_t::mode_read)) throw text_error_t(storage.last_error);
    script_context.on_repeated_attribute = [&](uint64_t at) {
        warnings.push_back(format_text(texts::cfg_warn_repeated_attribute, {number_text(int64_t(at))}));
    };
    struct unhook_t {
        ~unhook_t() { script_context.on_repeated_attribute = nullptr; }
    } unhook;
    cfg_file_t file = read_cfg(storage);
    if (warnings.empty()) {
        // Anything else the model's reader normalises (a variable name stored twice, of which the registry
        // keeps the last) still shows as a difference from the bytes compiling would write.
        if (auto at = first_difference_when_written(args, file, storage.offset()))
            warnings.push_back(format_text(texts::cfg_warn_other_bytes, {number_text(int64_t(*at))}));
    }
    for (const auto& warning : warnings) fail(args.input, warning);
    return file;
}

int dump(const arguments_t& args) {
    return read_file(args, [&](mfc_storage_t& storage) {
        const cfg_file_t file = read_cfg_warning(args, storage);
        warn_trailing_bytes(args, storage);
        const QByteArray xml = write_cfg_xml(file, args.input);
        std::fwrite(xml.constData(), 1, size_t(xml.size()), stdout);
        return 0;
    });
}

size_t count_tags(const tag_t& tag) {
    size_t n = 1;
    if (auto* node = dynamic_cast<const tag_complex_t*>(&tag)) {
        for (const auto& child : node->children) n += count_tags(*child);
    }
    return n;
}

int check(const arguments_t& args) {
    return read_file(args, [&](mfc_storage_t& storage) {
        auto root = new_cfg_root();
        root->set_storages(&storage, &storage, false);
        root->load();
        warn_trailing_bytes(args, storage);
        print(stdout, format_text(texts::cfg_summary, {number_text(int64_t(global_vars->size())),
                                                       number_text(int64_t(count_tags(*root) - 1))}));
        // The menu exactly as the program builds it, so that what the tool says is what the user will see.
        build_menu_outline(*root, [](int level, const std::u16string& entry) {
            print(stdout, std::u16string(size_t(level) * 2, u' ') + entry + u"\n");
        });
        return 0;
    });
}

// What a command prints is its result: output that did not reach its file (a full disk) fails the command.
int with_output_checked(int status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        print(stderr, std::u16string(u"ostrevan-cfg: ") + texts::cfg_output_failed + u"\n");
        return 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        print(stdout, texts::cfg_usage);
        return with_output_checked(0);
    }
    if (argc >= 2 && std::string(argv[1]) == "lint") return with_output_checked(lint_command(argc - 2, argv + 2));
    if (argc >= 2 && std::string(argv[1]) == "render") return with_output_checked(render_command(argc - 2, argv + 2));
    if (argc == 2 && std::string(argv[1]) == "--version") {
        print(stdout, format_text(texts::version_line, {u"ostrevan-cfg", from_utf8(OSTREVAN_VERSION)}));
        return with_output_checked(0);
    }
    if (argc >= 2 && std::string(argv[1]) == "install") return with_output_checked(install_command(argc - 2, argv + 2));
    const auto args = parse_arguments(argc, argv);
    if (!args) {
        print(stderr, std::u16string(texts::cfg_bad_arguments) + u"\n");
        return 2;
    }
    if (args->command == QLatin1String("compile")) return with_output_checked(compile(*args));
    if (args->command == QLatin1String("dump")) return with_output_checked(dump(*args));
    return with_output_checked(check(*args));
}
