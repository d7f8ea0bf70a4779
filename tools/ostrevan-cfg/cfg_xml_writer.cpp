#include <QXmlStreamWriter>
#include <optional>

#include "cfg_xml.h"
#include "cfg_xml_names.h"
#include "resources/texts.h"
#include "script/factory.h"
#include "storage/storage_errors.h"
#include "vars/bool_var.h"
#include "vars/card_list_var.h"
#include "vars/card_var.h"
#include "vars/fav_list_var.h"
#include "vars/fav_var.h"
#include "vars/string_var.h"

namespace {

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

// The first UTF-16 unit that XML 1.0 cannot carry (controls other than tab, line feed and carriage
// return; U+FFFE, U+FFFF; unpaired surrogates), or none.
std::optional<char16_t> first_non_xml_unit(const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        const bool ok = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0xD800) || (c >= 0xE000 && c <= 0xFFFD);
        if (!ok) return c;
    }
    return std::nullopt;
}

class writer_t {
public:
    writer_t(const QString& file_name) : writer_(&xml_), file_(file_name) {}

    QByteArray write(const cfg_file_t& file) {
        writer_.writeStartDocument();
        newline(0);
        writer_.writeStartElement(cfg_xml::root);
        newline(1);
        writer_.writeStartElement(cfg_xml::vars);
        for (const auto& entry : file.vars->entries()) write_var(entry.name, *entry.var);
        if (file.vars->size() != 0) newline(1);
        writer_.writeEndElement();
        newline(1);
        writer_.writeStartElement(cfg_xml::tree);
        for (const auto& child : file.root->children) write_tag(*child, 2, u"");
        if (!file.root->children.empty()) newline(1);
        writer_.writeEndElement();
        newline(0);
        writer_.writeEndElement();
        writer_.writeEndDocument();
        return xml_;
    }

private:
    void newline(int level) { writer_.writeCharacters(QLatin1Char('\n') + QString(level * 2, QLatin1Char(' '))); }

    void check(const std::u16string& s, const std::u16string& where) {
        if (auto bad = first_non_xml_unit(s)) {
            const QString code = QStringLiteral("%1").arg(unsigned(*bad), 4, 16, QLatin1Char('0')).toUpper();
            throw cfg_error_t{file_.toStdU16String(),
                              format_text(texts::cfg_not_xml_char, {code.toStdU16String(), where})};
        }
    }

    void attribute(const QString& name, const std::u16string& value, const std::u16string& where) {
        check(value, where);
        writer_.writeAttribute(name, q(value));
    }

    // Text kept exactly: a carriage return would become a line feed when read back, so it is written as
    // a character reference.
    void text(const std::u16string& s, const std::u16string& where) {
        check(s, where);
        const QStringList parts = q(s).split(QLatin1Char('\r'));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0) writer_.writeEntityReference(QStringLiteral("#13"));
            if (!parts[i].isEmpty()) writer_.writeCharacters(parts[i]);
        }
    }

    void write_var(const std::u16string& name, const var_t& var) {
        const std::u16string where = format_text(texts::cfg_in_var, {name});
        const QString& element = cfg_xml::var_elements[var.type];
        newline(2);
        auto card_attributes = [&](const card_t& card) {
            attribute(QStringLiteral("id0"), card.id0, where);
            attribute(QStringLiteral("id1"), card.id1, where);
            attribute(QStringLiteral("id2"), card.id2, where);
        };
        auto fav_attributes = [&](const std::u16string& id, const std::u16string& title) {
            attribute(QStringLiteral("id"), id, where);
            attribute(QStringLiteral("title"), title, where);
        };
        switch (var.type) {
            case bool_var_t::type_code:
                writer_.writeEmptyElement(element);
                attribute(QStringLiteral("name"), name, where);
                writer_.writeAttribute(cfg_xml::value, static_cast<const bool_var_t&>(var).value ? "true" : "false");
                break;
            case card_list_var_t::type_code: {
                const auto& cards = static_cast<const card_list_var_t&>(var);
                writer_.writeStartElement(element);
                attribute(QStringLiteral("name"), name, where);
                for (int i = 0; i < cards.count(); ++i) {
                    newline(3);
                    writer_.writeEmptyElement(cfg_xml::var_elements[card_var_t::type_code]);
                    card_attributes(cards.card_at(i));
                }
                if (cards.count() > 0) newline(2);
                writer_.writeEndElement();
                break;
            }
            case card_var_t::type_code:
                writer_.writeEmptyElement(element);
                attribute(QStringLiteral("name"), name, where);
                card_attributes(static_cast<const card_var_t&>(var).card);
                break;
            case fav_list_var_t::type_code: {
                const auto& favourites = static_cast<const fav_list_var_t&>(var);
                writer_.writeStartElement(element);
                attribute(QStringLiteral("name"), name, where);
                for (int i = 0; i < favourites.count(); ++i) {
                    newline(3);
                    writer_.writeEmptyElement(cfg_xml::var_elements[fav_var_t::type_code]);
                    const fav_t fav = favourites.fav_at(i);
                    fav_attributes(fav.id, fav.name);
                }
                if (favourites.count() > 0) newline(2);
                writer_.writeEndElement();
                break;
            }
            case fav_var_t::type_code: {
                const auto& fav = static_cast<const fav_var_t&>(var);
                writer_.writeEmptyElement(element);
                attribute(QStringLiteral("name"), name, where);
                fav_attributes(fav.id, fav.name);
                break;
            }
            default:
                writer_.writeStartElement(element);
                attribute(QStringLiteral("name"), name, where);
                text(static_cast<const string_var_t&>(var).value, where);
                writer_.writeEndElement();
        }
    }

    void write_tag(const tag_t& tag, int level, const std::u16string& path) {
        const std::u16string name = tag_name(tag.code);
        const std::u16string tag_path = path.empty() ? name : path + u"/" + name;
        const std::u16string where = format_text(texts::cfg_in_tag, {tag_path});
        newline(level);
        writer_.writeStartElement(q(name));
        bool as_elements = false;
        if (const attribute_map_t* attributes = tag.attributes()) {
            for (const auto& [key, value] : *attributes) as_elements |= !cfg_xml::is_plain_key(q(key));
            if (attributes->empty()) writer_.writeAttribute(cfg_xml::empty_attributes, QString());
            for (const auto& [key, value] : *attributes) {
                check(key, where);
                check(value, where);
                if (as_elements) {
                    newline(level + 1);
                    writer_.writeEmptyElement(cfg_xml::attribute);
                    writer_.writeAttribute(cfg_xml::key, q(key));
                    writer_.writeAttribute(cfg_xml::value, q(value));
                } else {
                    writer_.writeAttribute(q(key), q(value));
                }
            }
        }
        if (auto* node = dynamic_cast<const tag_complex_t*>(&tag)) {
            for (const auto& child : node->children) write_tag(*child, level + 1, tag_path);
            if (!node->children.empty() || as_elements) newline(level);
        } else {
            text(static_cast<const tag_simple_t&>(tag).text, where);
        }
        writer_.writeEndElement();
    }

    QByteArray xml_;
    QXmlStreamWriter writer_;
    QString file_;
};

}  // namespace

namespace cfg_xml {

bool is_plain_key(const QString& candidate) {
    if (candidate.isEmpty() || candidate.startsWith(QStringLiteral("xml"), Qt::CaseInsensitive) ||
        candidate.startsWith(own_prefix)) {
        return false;
    }
    for (qsizetype i = 0; i < candidate.size(); ++i) {
        const char16_t c = candidate[i].unicode();
        const bool start = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c >= 0xC0 && c <= 0xD6) ||
                           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
                           (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D || (c >= 0x2070 && c <= 0x218F) ||
                           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
                           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD);
        const bool more = c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 || (c >= 0x300 && c <= 0x36F) ||
                          c == 0x203F || c == 0x2040;
        if (!(start || (i > 0 && more))) return false;
    }
    return true;
}

}  // namespace cfg_xml

QByteArray write_cfg_xml(const cfg_file_t& file, const QString& file_name) {
    return writer_t(file_name).write(file);
}
