#include "script/expand.h"

#include "script/tag.h"
#include "vars/template_expand.h"

std::u16string expand(std::u16string_view templ, tag_t& resolver) {
    return expand_template(templ, [&resolver](const std::u16string& key, bool& whole_text) {
        std::u16string value = resolver.resolve(key);
        // The flag stays set once a resolve set it, until a later resolve clears it.
        whole_text = resolver.whole_text;
        return value;
    });
}
