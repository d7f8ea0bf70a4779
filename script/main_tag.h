#pragma once

#include "script/tag.h"

class display_t;
class messaging_t;
class storage_t;

// The interface of the script's root, through which the start-up hands it what it needs.
class main_tag_t : public tag_complex_t {
public:
    // Stores the display in the context and clears the reinstalled flag.
    virtual void set_display(display_t* display) = 0;
    // The script storage ("config.cfg"), the settings storage (the same object when the user has no
    // settings yet) and whether a new script was installed over existing settings.
    virtual void set_storages(storage_t* script, storage_t* settings, bool reinstalled) = 0;
    virtual void set_messaging(messaging_t* messaging) = 0;
    // load, link, show, commit and save, in that order.
    virtual void run_all() = 0;
};
