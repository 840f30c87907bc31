#pragma once

#include <filesystem>
#include <string>

namespace ostrel {

// The toolbar button's extension id, fixed by the key in its manifest.
constexpr char kButtonExtensionId[] = "edhdihcffkdfemgafdfkgecpldbacbfi";

// Readies the profile's default user (Default/Preferences) for Ostrel:
// pins the extension's button to the toolbar (extensions.pinned_extensions)
// and turns off the browser's own offer to save passwords, its form
// suggestions and its form history, which would otherwise pop up over every
// login Ostrel records or replays and keep what was typed. Every other
// preference is kept. A preferences file that cannot be read as JSON is
// left alone.
//
// The browser keeps no session files either (Default/Sessions): they would
// hold, in plain text, the body of every login posted in a frame, to post
// it again at a restore. Their folder is replaced by an empty file of that
// name, which the browser cannot write into. Returns true when the profile
// is ready.
bool PrepareProfile(const std::filesystem::path& profile, const std::string& extensionId);

}  // namespace ostrel
