#include "desktop/dbus/GSettingsFlag.h"

#include <gio/gio.h>

#include <string>

namespace desk {

std::unique_ptr<GSettingsFlag> GSettingsFlag::open(const char* schemaId, const char* key) {
    GSettingsSchemaSource* installed = g_settings_schema_source_get_default();
    if (!installed)
        return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(installed, schemaId, TRUE);
    if (!schema)
        return nullptr;
    bool isFlag = false;
    if (g_settings_schema_has_key(schema, key)) {
        GSettingsSchemaKey* found = g_settings_schema_get_key(schema, key);
        isFlag = g_variant_type_equal(g_settings_schema_key_get_value_type(found),
                                      G_VARIANT_TYPE_BOOLEAN);
        g_settings_schema_key_unref(found);
    }
    if (!isFlag) {
        g_settings_schema_unref(schema);
        return nullptr;
    }
    std::unique_ptr<GSettingsFlag> flag(new GSettingsFlag);
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    flag->settings_ = settings;
    flag->key_ = g_intern_string(key);
    // GSettings tells of changes only to a key read after the handler was connected.
    const std::string signal = std::string("changed::") + key;
    flag->handler_ = g_signal_connect(settings, signal.c_str(), G_CALLBACK(onChanged), flag.get());
    flag->value();
    return flag;
}

GSettingsFlag::~GSettingsFlag() {
    g_signal_handler_disconnect(settings_, handler_);
    g_object_unref(settings_);
}

bool GSettingsFlag::value() const {
    return g_settings_get_boolean(G_SETTINGS(settings_), key_);
}

void GSettingsFlag::onChanged(void*, const char*, void* self) {
    auto* flag = static_cast<GSettingsFlag*>(self);
    if (flag->changed)
        flag->changed();
}

} // namespace desk
