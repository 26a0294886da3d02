#pragma once

namespace glimmerfade {

// The plug-in's names, in its information record and wherever else they show:
// its class name, which identifies it to its peers, and its name for users,
// the title of its settings page.
inline constexpr char kPluginClass[] = "Shroudweave";
inline constexpr char kDisplayName[] = "Glimmerfade";

}  // namespace glimmerfade
