#pragma once
// The desktop as the editor reaches it: the platform interface plus the one
// dialog whose model lives in this layer.
#include <string_view>

#include "platform/platform.h"

namespace pixolat {

class ImagePropertiesDialog;

class EditorPlatform : public Platform {
public:
    // Runs the Image Properties dialog modally on its model; true when it
    // closed with OK.
    virtual bool ShowImageProperties(ImagePropertiesDialog& dialog) = 0;
    // Told before a command of the menu or of the key table runs, with the id
    // of its record; false skips it. The desktop runs every command; a test
    // lists what keys start without opening a dialog.
    virtual bool CommandStarting(std::string_view /*id*/) { return true; }
};

}  // namespace pixolat
