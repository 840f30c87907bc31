#include "tests/page/FakeHtml.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>

#include "support/TextCase.h"

namespace ostrel::fake {

namespace {

// Like a browser, the parser folds ASCII letters only, whatever the locale.
std::string Upper(std::string s) { return UpperAscii(std::move(s)); }

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

const std::set<std::string> kVoid = {"INPUT", "FRAME", "META", "LINK", "BR",
                                     "IMG",   "HR",    "BASE", "COL",  "WBR"};

// Text from pos up to the closing tag </tag> (any case); pos moves past it.
std::string RawText(const std::string& html, size_t& pos, const std::string& tag) {
  const std::string lower = Lower(html);
  const size_t end = lower.find("</" + Lower(tag), pos);
  const size_t stop = end == std::string::npos ? html.size() : end;
  std::string text = html.substr(pos, stop - pos);
  const size_t close = html.find('>', stop);
  pos = close == std::string::npos ? html.size() : close + 1;
  return text;
}

void ReadAttrs(const std::string& text, Node& node) {
  static const std::regex attr(
      R"re(([^\s=/>"']+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>"']+)))?)re");
  for (std::sregex_iterator it(text.begin(), text.end(), attr), end; it != end; ++it) {
    const auto& m = *it;
    std::string value = m[2].matched ? m[2].str() : m[3].matched ? m[3].str() : m[4].str();
    node.attrs.emplace(Lower(m[1].str()), value);
  }
}

}  // namespace

std::string Node::Attr(const std::string& name) const {
  const auto it = attrs.find(name);
  return it == attrs.end() ? std::string() : it->second;
}

bool Node::Fails(const std::string& read) const {
  std::stringstream list(Attr("data-fail"));
  for (std::string item; std::getline(list, item, ',');) {
    if (item == read) return true;
  }
  return false;
}

Page ParseHtml(const std::string& html) {
  Page page;
  page.root = std::make_shared<Node>();
  // An XML document (XHTML) keeps its tag names as written.
  const bool xml = html.rfind("<?xml", 0) == 0;
  std::vector<std::shared_ptr<Node>> open = {page.root};
  size_t pos = 0;
  while ((pos = html.find('<', pos)) != std::string::npos) {
    if (html.compare(pos, 4, "<!--") == 0) {
      const size_t end = html.find("-->", pos);
      pos = end == std::string::npos ? html.size() : end + 3;
      continue;
    }
    const size_t close = html.find('>', pos);
    if (close == std::string::npos) break;
    std::string inner = html.substr(pos + 1, close - pos - 1);
    pos = close + 1;
    if (inner.empty() || inner[0] == '!' || inner[0] == '?') continue;
    if (inner[0] == '/') {
      const std::string tag = xml ? inner.substr(1) : Upper(inner.substr(1));
      for (size_t i = open.size(); i-- > 1;) {
        if (open[i]->tag == tag) {
          open.resize(i);
          break;
        }
      }
      continue;
    }
    const size_t name_end = std::min(inner.find_first_of(" \t\r\n/"), inner.size());
    auto node = std::make_shared<Node>();
    node->tag = inner.substr(0, name_end);
    if (!xml) node->tag = Upper(node->tag);
    ReadAttrs(inner.substr(name_end), *node);
    open.back()->children.push_back(node);
    const std::string kind = Upper(node->tag);
    if (kind == "INPUT") node->value = node->Attr("value");
    if (kind == "TITLE") {
      page.title = RawText(html, pos, "title");
    } else if (kind == "TEXTAREA") {
      node->value = RawText(html, pos, "textarea");
    } else if (kind == "SCRIPT" || kind == "STYLE") {
      RawText(html, pos, kind);
    } else if (!kVoid.count(kind) && inner.back() != '/') {
      open.push_back(node);
    }
  }
  return page;
}

}  // namespace ostrel::fake
