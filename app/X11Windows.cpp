#include "app/X11Windows.h"

#include <xcb/xcb.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

namespace {

struct Free {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_atom_t Atom(xcb_connection_t* c, const std::string& name) {
  Reply<xcb_intern_atom_reply_t> r(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(name.size()), name.c_str()), nullptr));
  return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<uint32_t> Cardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
  Reply<xcb_get_property_reply_t> r(
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 4096), nullptr));
  if (!r || r->format != 32) return {};
  const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
  return std::vector<uint32_t>(data, data + xcb_get_property_value_length(r.get()) / 4);
}

}  // namespace

unsigned long FindBrowserWindow(pid_t pid, const WindowBounds& bounds) {
  int screen_number = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screen_number);
  if (!c || xcb_connection_has_error(c)) {
    if (c) xcb_disconnect(c);
    return 0;
  }
  std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> guard(c, xcb_disconnect);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen_number && it.rem; ++i) xcb_screen_next(&it);
  if (!it.rem) return 0;
  const xcb_window_t root = it.data->root;

  const xcb_atom_t client_list = Atom(c, "_NET_CLIENT_LIST");
  const xcb_atom_t wm_pid = Atom(c, "_NET_WM_PID");
  unsigned long best = 0;
  long best_distance = LONG_MAX;
  std::vector<uint32_t> candidates = Cardinals(c, root, client_list, XCB_ATOM_WINDOW);
  if (candidates.empty()) {
    // No window manager keeps a client list: take the root's children.
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (tree) {
      const xcb_window_t* children = xcb_query_tree_children(tree.get());
      candidates.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
  }
  for (uint32_t w : candidates) {
    std::vector<uint32_t> owner = Cardinals(c, w, wm_pid, XCB_ATOM_CARDINAL);
    if (owner.empty() || static_cast<pid_t>(owner[0]) != pid) continue;
    Reply<xcb_translate_coordinates_reply_t> at(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr));
    long distance = 0;
    if (at && bounds.known) distance = std::labs(at->dst_x - bounds.left) + std::labs(at->dst_y - bounds.top);
    if (distance < best_distance) {
      best_distance = distance;
      best = w;
    }
  }
  return best;
}

}  // namespace ostrel
