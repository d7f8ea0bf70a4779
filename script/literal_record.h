#pragma once

class tag_t;

// Writes a tag's record, and its children's, to the context's current storage as the base classes define
// the record: the code word (with the attributes bit when the tag has a map), the attribute block, then the
// text or the child count and children. No tag adds anything of its own (a "String" without attributes stays
// without, an "Item" gains no children), so a tree read from a file is written back as it was read. For the
// tools, which mirror files literally; the program saves through each tag's own save.
void save_literal_record(tag_t& tag);
