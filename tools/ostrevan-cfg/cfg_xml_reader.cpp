#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>
#include <vector>

#include "cfg_xml.h"
#include "cfg_xml_names.h"
#include "core/text_error.h"
#include "resources/texts.h"
#include "script/factory.h"
#include "script/tag_errors.h"
#include "storage/storage_errors.h"
#include "vars/bool_var.h"
#include "vars/card_list_var.h"
#include "vars/card_var.h"
#include "vars/fav_list_var.h"
#include "vars/fav_var.h"
#include "vars/string_var.h"

namespace {

// One variable as its XML element gives it.
struct cfg_var_t {
    std::u16string name;
    std::unique_ptr<var_t> var;
};

std::u16string u16(const QString& s) {
    return s.toStdU16String();
}
std::u16string u16(QStringView s) {
    return s.toString().toStdU16String();
}

class parser_t {
public:
    parser_t(const QByteArray& xml, const QString& file_name, xml_places_t* places)
        : reader_(xml), file_(file_name), places_(places) {
        reader_.setNamespaceProcessing(false);
        if (places_) {
            // The document as the reader decodes it (by its byte-order mark, else UTF-8), to find where each
            // start tag begins: the reader only tells where it ends.
            auto encoding = QStringConverter::encodingForData(xml);
            QStringDecoder decode(encoding.value_or(QStringConverter::Utf8));
            text_ = decode(xml);
            line_starts_.push_back(0);
            for (qsizetype i = 0; i < text_.size(); ++i)
                if (text_[i] == u'\n') line_starts_.push_back(i + 1);
        }
    }

    cfg_file_t parse() {
        cfg_file_t file;
        file.root = new_cfg_root();
        if (!next_element(nullptr) || reader_.name() != cfg_xml::root) fail(texts::cfg_root_expected);
        check_attributes({});
        bool seen_vars = false, seen_tree = false;
        while (next_element(&cfg_xml::root)) {
            if (reader_.name() == cfg_xml::vars && !seen_vars && !seen_tree) {
                seen_vars = true;
                check_attributes({});
                while (next_element(&cfg_xml::vars)) {
                    cfg_var_t record = parse_var();
                    if (file.vars->lookup(record.name)) fail(format_text(texts::cfg_duplicate_var, {record.name}));
                    file.vars->put(record.name, std::move(record.var));
                }
            } else if (reader_.name() == cfg_xml::tree && !seen_tree) {
                seen_tree = true;
                check_attributes({});
                while (next_element(&cfg_xml::tree)) parse_tag(*file.root, 1);
            } else {
                fail_unexpected_element();
            }
        }
        // Nothing but comments may follow the document element.
        while (!reader_.atEnd()) {
            next_token();
            if (reader_.hasError()) fail(xml_error());
        }
        return file;
    }

private:
    [[noreturn]] void fail(const std::u16string& message) {
        const QString place =
            QStringLiteral("%1:%2:%3").arg(file_).arg(reader_.lineNumber()).arg(reader_.columnNumber());
        throw cfg_error_t{u16(place), message};
    }

    // The next token. A document type declaration is refused: it could declare entities, internal ones that
    // would be expanded behind the author's back, or external ones that would be silently dropped. Without
    // it only XML's predefined entities and character references can appear, which the reader resolves.
    QXmlStreamReader::TokenType next_token() {
        const auto token = reader_.readNext();
        if (reader_.hasError()) fail(xml_error());
        if (token == QXmlStreamReader::DTD) fail(texts::cfg_dtd_refused);
        if (token == QXmlStreamReader::EntityReference)
            fail(format_text(texts::cfg_unknown_entity, {u16(reader_.name())}));
        return token;
    }

    // The reader's error in the language of the tool's other messages.
    std::u16string xml_error() const {
        switch (reader_.error()) {
            case QXmlStreamReader::PrematureEndOfDocumentError:
                return texts::cfg_xml_cut_short;
            case QXmlStreamReader::NoError:
            case QXmlStreamReader::CustomError:
            case QXmlStreamReader::NotWellFormedError:
            case QXmlStreamReader::UnexpectedElementError:
                break;
        }
        return texts::cfg_xml_malformed;
    }

    [[noreturn]] void fail_unexpected_element() {
        fail(format_text(texts::cfg_unexpected_element, {u16(reader_.name())}));
    }

    // Moves to the next child element of the current one and returns true, or to its end and returns
    // false. Text other than white space is refused; `parent` names the element for the message (null
    // before the document element).
    bool next_element(const QString* parent) {
        while (!reader_.atEnd()) {
            switch (next_token()) {
                case QXmlStreamReader::StartElement:
                    return true;
                case QXmlStreamReader::EndElement:
                    return false;
                case QXmlStreamReader::Characters:
                    if (!reader_.isWhitespace()) {
                        fail(format_text(texts::cfg_unexpected_text, {parent ? u16(*parent) : u16(cfg_xml::root)}));
                    }
                    break;
                default:
                    break;
            }
        }
        fail(xml_error());
    }

    // The whole text up to the end of the current element, which may hold no elements.
    std::u16string element_text() {
        std::u16string text;
        while (!reader_.atEnd()) {
            switch (next_token()) {
                case QXmlStreamReader::Characters:
                    text += u16(reader_.text());
                    break;
                case QXmlStreamReader::EndElement:
                    return text;
                case QXmlStreamReader::StartElement:
                    fail_unexpected_element();
                default:
                    break;
            }
        }
        fail(xml_error());
    }

    void check_attributes(std::initializer_list<QString> allowed) {
        for (const auto& attribute : reader_.attributes()) {
            if (std::find(allowed.begin(), allowed.end(), attribute.qualifiedName()) == allowed.end()) {
                fail(format_text(texts::cfg_unknown_attribute, {u16(reader_.name()), u16(attribute.qualifiedName())}));
            }
        }
    }

    std::u16string attribute(const QString& name, bool required = false) {
        const auto attributes = reader_.attributes();
        if (required && !attributes.hasAttribute(name)) {
            fail(format_text(texts::cfg_missing_attribute, {u16(reader_.name()), u16(name)}));
        }
        return u16(attributes.value(name));
    }

    void end_of_empty_element() {
        if (next_element(nullptr)) fail_unexpected_element();
    }

    card_t parse_card(bool named) {
        if (named)
            check_attributes(
                {QStringLiteral("name"), QStringLiteral("id0"), QStringLiteral("id1"), QStringLiteral("id2")});
        else
            check_attributes({QStringLiteral("id0"), QStringLiteral("id1"), QStringLiteral("id2")});
        card_t card;
        card.id0 = attribute(QStringLiteral("id0"));
        card.id1 = attribute(QStringLiteral("id1"));
        card.id2 = attribute(QStringLiteral("id2"));
        return card;
    }

    fav_t parse_fav(bool named) {
        if (named)
            check_attributes({QStringLiteral("name"), QStringLiteral("id"), QStringLiteral("title")});
        else
            check_attributes({QStringLiteral("id"), QStringLiteral("title")});
        fav_t fav;
        fav.id = attribute(QStringLiteral("id"));
        fav.name = attribute(QStringLiteral("title"));
        return fav;
    }

    cfg_var_t parse_var() {
        const auto* end = std::end(cfg_xml::var_elements);
        const auto* found = std::find(std::begin(cfg_xml::var_elements), end, reader_.name());
        if (found == end) fail_unexpected_element();
        const auto type = int32_t(found - std::begin(cfg_xml::var_elements));
        const QString element = *found;
        cfg_var_t record{attribute(QStringLiteral("name"), true), create_var(type)};
        switch (type) {
            case bool_var_t::type_code: {
                check_attributes({QStringLiteral("name"), cfg_xml::value});
                const std::u16string value = attribute(cfg_xml::value, true);
                if (value != u"true" && value != u"false") fail(format_text(texts::cfg_bad_bool, {value}));
                static_cast<bool_var_t&>(*record.var).value = value == u"true";
                end_of_empty_element();
                break;
            }
            case card_list_var_t::type_code:
                check_attributes({QStringLiteral("name")});
                while (next_element(&element)) {
                    if (reader_.name() != cfg_xml::var_elements[card_var_t::type_code]) fail_unexpected_element();
                    static_cast<card_list_var_t&>(*record.var).append(parse_card(false));
                    end_of_empty_element();
                }
                break;
            case card_var_t::type_code:
                static_cast<card_var_t&>(*record.var).card = parse_card(true);
                end_of_empty_element();
                break;
            case fav_list_var_t::type_code:
                check_attributes({QStringLiteral("name")});
                while (next_element(&element)) {
                    if (reader_.name() != cfg_xml::var_elements[fav_var_t::type_code]) fail_unexpected_element();
                    static_cast<fav_list_var_t&>(*record.var).append(parse_fav(false));
                    end_of_empty_element();
                }
                break;
            case fav_var_t::type_code: {
                const fav_t fav = parse_fav(true);
                auto& var = static_cast<fav_var_t&>(*record.var);
                var.id = fav.id;
                var.name = fav.name;
                end_of_empty_element();
                break;
            }
            default:
                check_attributes({QStringLiteral("name")});
                static_cast<string_var_t&>(*record.var).value = element_text();
        }
        return record;
    }

    // One <cfg.attribute key value/> element into the tag's map.
    void parse_attribute_element(tag_t& tag) {
        check_attributes({cfg_xml::key, cfg_xml::value});
        tag.own_attributes().set(attribute(cfg_xml::key, true), attribute(cfg_xml::value, true));
        end_of_empty_element();
    }

    void parse_tag(tag_t& parent, int depth) {
        if (depth > max_tag_depth) fail(format_text(texts::cfg_too_deep, {number_text(max_tag_depth)}));
        const xml_place_t start = start_tag_place();
        const QString element = reader_.name().toString();
        int32_t code = 0;
        try {
            code = tag_code(u16(element));
        } catch (const tag_unknown_ex_t& e) {
            fail(e.text());
        }
        const std::u16string parent_name = tag_name(parent.code);
        // The root is never stored as a record.
        if (code == tags::MenuApplet) fail(format_text(texts::cfg_tag_not_accepted, {u16(element), parent_name}));

        const auto xml_attributes = reader_.attributes();
        const bool empty_map = xml_attributes.hasAttribute(cfg_xml::empty_attributes);
        if (empty_map && (xml_attributes.size() != 1 || !xml_attributes.value(cfg_xml::empty_attributes).isEmpty())) {
            fail(texts::cfg_empty_attributes_alone);
        }
        std::unique_ptr<tag_t> tag;
        try {
            tag = create_tag(xml_attributes.isEmpty() ? code : code | attributes_bit, &parent);
        } catch (const text_error_t& e) {
            if (e.text() != texts::image_misplaced) fail(e.text());
            fail(format_text(texts::cfg_image_misplaced, {e.text(), parent_name}));
        }
        if (!tag->accepted) fail(format_text(texts::cfg_tag_not_accepted, {u16(element), parent_name}));
        if (places_) (*places_)[tag.get()] = start;
        if (!empty_map) {
            for (const auto& a : xml_attributes) {
                if (!cfg_xml::is_plain_key(a.qualifiedName().toString())) {
                    fail(format_text(texts::cfg_unknown_attribute, {u16(element), u16(a.qualifiedName())}));
                }
                tag->own_attributes().set(u16(a.qualifiedName()), u16(a.value()));
            }
        }

        auto* node = dynamic_cast<tag_complex_t*>(tag.get());
        std::u16string text;
        bool after_content = false;  // a child tag or text other than white space was met
        while (!reader_.atEnd()) {
            const auto token = next_token();
            if (token == QXmlStreamReader::EndElement) break;
            if (token == QXmlStreamReader::Characters) {
                if (node && !reader_.isWhitespace()) fail(format_text(texts::cfg_complex_has_text, {u16(element)}));
                text += u16(reader_.text());
                if (!reader_.isWhitespace()) after_content = true;
            } else if (token == QXmlStreamReader::StartElement) {
                if (reader_.name() == cfg_xml::attribute && !after_content) {
                    if (!xml_attributes.isEmpty()) fail(format_text(texts::cfg_mixed_attributes, {u16(element)}));
                    parse_attribute_element(*tag);
                    text.clear();  // the text of a simple tag follows its attribute elements
                } else if (node) {
                    parse_tag(*node, depth + 1);
                    after_content = true;
                } else {
                    fail(format_text(texts::cfg_simple_has_children, {u16(element)}));
                }
            }
        }
        if (reader_.hasError()) fail(xml_error());
        if (!node) static_cast<tag_simple_t&>(*tag).text = std::move(text);
        static_cast<tag_complex_t&>(parent).children.push_back(std::move(tag));
    }

    QXmlStreamReader reader_;
    QString file_;
    xml_places_t* places_;
    QString text_;
    std::vector<qsizetype> line_starts_;

    // Where the start tag just read begins: its "<", the last one before the tag's end (an attribute value
    // cannot hold one). The reader's own place, the tag's end, when the text does not show it.
    xml_place_t start_tag_place() const {
        const qint64 end = reader_.characterOffset();
        const qsizetype at = end > 0 && end <= text_.size() ? text_.lastIndexOf(u'<', qsizetype(end - 1)) : -1;
        if (!places_ || at < 0) return {reader_.lineNumber(), reader_.columnNumber() + 1};
        const auto line = std::upper_bound(line_starts_.begin(), line_starts_.end(), at) - line_starts_.begin();
        return {int64_t(line), int64_t(at - line_starts_[size_t(line - 1)] + 1)};
    }
};

}  // namespace

cfg_file_t parse_cfg_xml(const QByteArray& xml, const QString& file_name, xml_places_t* places) {
    return parser_t(xml, file_name, places).parse();
}
