#include "script_source.h"

#include <QFile>

#include "core/text_error.h"
#include "resources/texts.h"
#include "script/script_context.h"
#include "script/tag_errors.h"
#include "storage/mfc_storage.h"
#include "storage/storage_errors.h"
#include "tools/script-lint/cfg_places.h"

namespace {

// A compiled file starts with the archive's header string; its first bytes are the Unicode marker of the
// string and its length (scrambled with the PIN in a settings file, whose marker bytes are never scrambled).
bool looks_compiled(const QByteArray& head) {
    return head.size() >= 3 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xFE && uchar(head[2]) == 0xFF;
}

}  // namespace

script_source_t read_script_source(const QString& path, const std::u16string& pin) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) throw cfg_error_t{path.toStdU16String(), texts::cfg_cannot_read};
    const QByteArray bytes = in.readAll();
    script_source_t source;
    if (!looks_compiled(bytes.left(3))) {
        source.is_xml = true;
        source.file = parse_cfg_xml(bytes, path, &source.xml_places);
        source.compiled = std::make_unique<memory_file_ops_t>();
        mfc_storage_t out(u"script.cfg", mfc_storage_t::mode_write, u"", *source.compiled);
        write_cfg(out, source.file);
        if (!out.close()) throw cfg_error_t{path.toStdU16String(), out.last_error_detail};
        return source;
    }
    const std::u16string file = path.toStdU16String();
    std::unique_ptr<mfc_storage_t> storage;
    try {
        storage = std::make_unique<mfc_storage_t>(file, mfc_storage_t::mode_read, pin);
        source.file = read_cfg(*storage);
        mfc_storage_t again(file, mfc_storage_t::mode_read, pin);
        source.offsets = cfg_record_offsets(again, *source.file.root);
    } catch (const tag_unknown_ex_t& e) {
        throw cfg_error_t{file,
                          format_text(texts::cfg_at_offset, {number_text(int64_t(storage->offset() - 4)), e.text()})};
    } catch (const image_misplaced_ex_t& e) {
        throw cfg_error_t{file, format_text(texts::cfg_at_offset, {number_text(int64_t(e.offset)), e.text()})};
    } catch (const mfc_storage_ex_t& e) {
        throw cfg_error_t{file, e.detail()};
    } catch (const text_error_t& e) {
        throw cfg_error_t{file, e.text()};
    }
    return source;
}
