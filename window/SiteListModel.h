#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

#include "store/ListedSite.h"

namespace ostrel {

// The sites of the logged-in user for the site list, and the part of them a
// filter lets through. Rows are the sites shown, in slot order; each row's
// display text is its site's name, its Qt::UserRole data the site's slot
// number. Narrowing resets the model once, so a filter over tens of
// thousands of names costs one pass over them.
class SiteListModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  // Replaces every site (the filter stays).
  void SetSites(std::vector<ListedSite> sites);
  // Shows the sites whose names hold text, in any letter case (all of them
  // when text is empty).
  void SetFilter(const QString& text);
  const QString& Filter() const { return mFilter; }

  // The site of a shown row; row must lie in 0 .. rowCount() - 1.
  const ListedSite& Site(int row) const { return mSites[mShown[row]]; }
  // The row showing the site in slot, or -1.
  int RowOfSlot(int16_t slot) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  void Narrow();

  std::vector<ListedSite> mSites;
  std::vector<QString> mNames;  // mSites' names as shown
  std::vector<int> mShown;      // indexes into mSites
  QString mFilter;
};

}  // namespace ostrel
