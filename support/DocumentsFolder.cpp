#include "support/DocumentsFolder.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace ostrel {

namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && path.front() == '/' && std::filesystem::is_directory(path, ec);
}

// The value of one line `XDG_DOCUMENTS_DIR="..."` of user-dirs.dirs: a
// double-quoted path that starts with "$HOME" or "/"; backslash escapes the
// next character. Anything else is not a usable value.
std::optional<std::string> ParseDocumentsLine(const std::string& line, const std::string& home) {
  static const std::string kKey = "XDG_DOCUMENTS_DIR=";
  size_t pos = line.find_first_not_of(" \t");
  if (pos == std::string::npos || line.compare(pos, kKey.size(), kKey) != 0) return std::nullopt;
  pos += kKey.size();
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string raw;
  bool closed = false;
  for (++pos; pos < line.size(); ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) {
      raw += line[++pos];
    } else if (line[pos] == '"') {
      closed = true;
      break;
    } else {
      raw += line[pos];
    }
  }
  if (!closed) return std::nullopt;
  static const std::string kHome = "$HOME";
  if (raw.compare(0, kHome.size(), kHome) == 0 &&
      (raw.size() == kHome.size() || raw[kHome.size()] == '/')) {
    if (home.empty()) return std::nullopt;
    return home + raw.substr(kHome.size());
  }
  if (!raw.empty() && raw.front() == '/') return raw;
  return std::nullopt;
}

std::optional<std::string> ConfiguredFolder(const DocumentsLookup& lookup) {
  const std::string config =
      !lookup.configHome.empty() ? lookup.configHome
                                 : (lookup.home.empty() ? "" : lookup.home + "/.config");
  if (config.empty()) return std::nullopt;
  std::ifstream in(config + "/user-dirs.dirs");
  std::optional<std::string> found;
  for (std::string line; std::getline(in, line);) {
    if (auto value = ParseDocumentsLine(line, lookup.home)) found = value;  // the last one wins
  }
  return found;
}

std::string CodeFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&CodeFolder), &info) == 0 || info.dli_fname == nullptr) {
    return "";
  }
  std::error_code ec;
  std::filesystem::path file = std::filesystem::canonical(info.dli_fname, ec);
  if (ec) file = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  return WithoutTrailingSlash(file.parent_path().string());
}

}  // namespace

DocumentsLookup DocumentsLookup::FromEnvironment() {
  DocumentsLookup lookup;
  lookup.home = EnvOrEmpty("HOME");
  lookup.configHome = EnvOrEmpty("XDG_CONFIG_HOME");
  lookup.documentsDir = EnvOrEmpty("XDG_DOCUMENTS_DIR");
  lookup.applicationPath = CodeFolder();
  return lookup;
}

std::string GetDocumentsFolder(const DocumentsLookup& lookup) {
  try {
    std::string candidate = lookup.documentsDir;
    if (candidate.empty()) candidate = ConfiguredFolder(lookup).value_or("");
    if (candidate.empty() && !lookup.home.empty()) candidate = lookup.home + "/Documents";
    if (IsFolder(candidate)) return WithoutTrailingSlash(candidate);
    if (IsFolder(lookup.home)) return WithoutTrailingSlash(lookup.home);
  } catch (...) {
    // Any failure of the lookup falls back to the application path.
  }
  return lookup.applicationPath;
}

std::string GetDocumentsFolder() { return GetDocumentsFolder(DocumentsLookup::FromEnvironment()); }

}  // namespace ostrel
