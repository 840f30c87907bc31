#pragma once

#include <filesystem>
#include <string>

namespace ostrel {

// The toolbar button's extension id, fixed by the key in its manifest.
constexpr char kButtonExtensionId[] = "edhdihcffkdfemgafdfkgecpldbacbfi";

// Pins the extension's button to the toolbar of the profile's default
// user (Default/Preferences, extensions.pinned_extensions), keeping every
// other preference. A preferences file that cannot be read as JSON is left
// alone. Returns true when the button is pinned.
bool PinToolbarButton(const std::filesystem::path& profile, const std::string& extensionId);

}  // namespace ostrel
