#pragma once

#include <string>

namespace ostrel {

// The script of a "javascript:" link.
namespace script_link {

// The text after the first "javascript:" in url (case-sensitive), or empty
// when url holds none.
std::string ScriptOf(const std::string& url);

// Whether a link's script does nothing a login could need: empty, only
// semicolons or blanks, a comment, a bare literal ("void(0)", "void 0",
// "undefined", "null", "false", "true", "0"). Such links (a "show password"
// eye, a menu toggle) send nothing: they never end a recording and are
// never run as a login's script.
bool DoesNothing(const std::string& script);

}  // namespace script_link
}  // namespace ostrel
