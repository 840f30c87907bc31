#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

// The document tree of the in-memory browser used by the page tests. Pages
// are read from a small subset of HTML: start and end tags with quoted or
// bare attributes, void elements, <title>, <textarea> text, comments, and
// <script>/<style> bodies (skipped). Text outside those is ignored.
namespace ostrel::fake {

struct Node {
  std::string tag;                            // upper case, as HTML reports it
  std::map<std::string, std::string> attrs;   // lower-case names
  std::string value;                          // current value of a field
  std::vector<std::shared_ptr<Node>> children;

  std::string Attr(const std::string& name) const;
  bool HasAttr(const std::string& name) const { return attrs.count(name) > 0; }
  // The reads named in the test-only attribute data-fail (comma-separated,
  // e.g. "name,elements") throw as if the browser refused them.
  bool Fails(const std::string& read) const;
};

struct Page {
  std::string title;
  std::shared_ptr<Node> root;  // a synthetic node holding the top elements
};

// Reads html into a tree. Tag names are upper-cased (kept as written in a
// document that starts with "<?xml"), attribute names lower-cased; an INPUT's value starts as its value attribute, a
// TEXTAREA's as its text.
Page ParseHtml(const std::string& html);

// Nodes below root in document order, those for which keep is true.
template <typename Keep>
void Collect(const std::shared_ptr<Node>& root, Keep keep,
             std::vector<std::shared_ptr<Node>>& out) {
  for (const auto& child : root->children) {
    if (keep(*child)) out.push_back(child);
    Collect(child, keep, out);
  }
}

}  // namespace ostrel::fake
