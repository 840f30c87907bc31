#pragma once

#include <QListView>
#include <functional>
#include <vector>

#include "store/ListedSite.h"
#include "window/SiteListModel.h"

namespace ostrel {

// lstSites: the list of the logged-in user's sites, one entry chosen at a
// time. Entries are the sites the filter shows (SiteListModel); row numbers
// count those. Every entry carries its site's slot, never its position.
class SiteList : public QListView {
 public:
  explicit SiteList(QWidget* parent);

  void SetSites(std::vector<ListedSite> sites) { mModel.SetSites(std::move(sites)); }
  // Narrows the list; the entry chosen stays chosen while it is shown,
  // otherwise the first one shown is chosen.
  void SetFilter(const QString& text);
  // Empties the list (the filter stays).
  void clear() { mModel.SetSites({}); }

  int count() const { return mModel.rowCount(); }
  const ListedSite& Site(int row) const { return mModel.Site(row); }
  QString text(int row) const;
  // The row of the chosen entry, or -1.
  int currentRow() const;
  // Chooses the entry at row; -1 chooses none.
  void setCurrentRow(int row);
  // The row showing the site in slot, or -1.
  int RowOfSlot(int16_t slot) const { return mModel.RowOfSlot(slot); }
  QRect visualRowRect(int row) const;

  // Called with the row of an entry double-clicked.
  std::function<void(int row)> onDoubleClick;

 private:
  SiteListModel mModel;
};

}  // namespace ostrel
