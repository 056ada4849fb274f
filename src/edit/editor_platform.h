#pragma once
// The desktop as the editor reaches it: the platform interface plus the one
// dialog whose model lives in this layer.
#include "platform/platform.h"

namespace pixolat {

class ImagePropertiesDialog;

class EditorPlatform : public Platform {
public:
    // Runs the Image Properties dialog modally on its model; true when it
    // closed with OK.
    virtual bool ShowImageProperties(ImagePropertiesDialog& dialog) = 0;
};

}  // namespace pixolat
