#pragma once

// One boolean key of the desktop's settings (GSettings), and word of its changes. Kept apart so
// that GLib's headers meet no Qt header.

#include <functional>
#include <memory>

namespace desk {

class GSettingsFlag {
public:
    // The key of the installed schema, or nullptr when the schema is not installed or has no
    // such boolean key.
    static std::unique_ptr<GSettingsFlag> open(const char* schema, const char* key);
    ~GSettingsFlag();
    GSettingsFlag(const GSettingsFlag&) = delete;
    GSettingsFlag& operator=(const GSettingsFlag&) = delete;

    bool value() const;
    // The value changed (told from GLib's main loop, which is Qt's event loop here).
    std::function<void()> changed;

private:
    GSettingsFlag() = default;
    static void onChanged(void* settings, const char* key, void* self);

    void* settings_ = nullptr; // GSettings*
    const char* key_ = nullptr;
    unsigned long handler_ = 0;
};

} // namespace desk
