#pragma once

#include "script/tag.h"

// Every keyword tag that only carries a text for others to read and has no behaviour of its own.
// Accepted under any parent. Also the stand-in parent of the factory's placement test.
class Empty_tag_t : public tag_simple_t {
public:
    explicit Empty_tag_t(tag_t* /*parent*/) {}
};
