#pragma once

#include <QString>

namespace desk {

// Starting with the session: the program's entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart, which every desktop following the XDG autostart rules reads).
// Started from there, the program is given `kArgument` and takes its quick start.
namespace autostart {

inline constexpr const char* kArgument = "--autostart";

// Where the entry lies.
QString entryPath();
// Whether the session starts the program: the entry is there and not switched off in it
// (Hidden=true, or GNOME's X-GNOME-Autostart-enabled=false).
bool enabled();
// Writes the entry, starting `program`, or removes it. Empty when done, else what went wrong, in
// German, for the user.
QString set(bool on, const QString& program);

} // namespace autostart

} // namespace desk
