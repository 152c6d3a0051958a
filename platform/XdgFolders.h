// The desktop's base folders for the player's own files, by the XDG base
// directory rules: each comes from its environment variable when that holds
// an absolute path, and from its default under the home folder otherwise (a
// relative path is ignored, as the rules ask).
#pragma once

#include <QString>

namespace platform {

enum class XdgFolder {
  State,   // $XDG_STATE_HOME, ~/.local/state: what the program keeps between runs
  Data,    // $XDG_DATA_HOME, ~/.local/share: the player's records
  Cache,   // $XDG_CACHE_HOME, ~/.cache: what can be made again (thumbnails)
  Config,  // $XDG_CONFIG_HOME, ~/.config: settings
};

QString xdgFolder(XdgFolder kind);

}  // namespace platform
