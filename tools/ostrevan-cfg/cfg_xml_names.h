#pragma once

#include <QString>

// The names the XML spelling uses besides the tag names.
namespace cfg_xml {

inline const QString root = QStringLiteral("cfg");
inline const QString vars = QStringLiteral("vars");
inline const QString tree = QStringLiteral("tree");
// An empty attribute map: <Tag cfg.attributes="">.
inline const QString empty_attributes = QStringLiteral("cfg.attributes");
// An attribute map with keys that are not XML names: <cfg.attribute key="..." value="..."/> children.
inline const QString attribute = QStringLiteral("cfg.attribute");
inline const QString key = QStringLiteral("key");
inline const QString value = QStringLiteral("value");
// Names of this spelling's own markup start with it; keys that do are written as cfg.attribute.
inline const QString own_prefix = QStringLiteral("cfg.");

// Element names of the six variable types, by type code.
inline const QString var_elements[] = {QStringLiteral("bool"),    QStringLiteral("cardlist"), QStringLiteral("card"),
                                       QStringLiteral("favlist"), QStringLiteral("fav"),      QStringLiteral("string")};

// A key that can be written as an XML attribute of a tag element: an XML name without ':' that does
// not start with "xml" (reserved by XML) or with own_prefix.
bool is_plain_key(const QString& key);

}  // namespace cfg_xml
