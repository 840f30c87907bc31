#include "window/SiteListModel.h"

#include "window/Text.h"

namespace ostrel {

void SiteListModel::SetSites(std::vector<ListedSite> sites) {
  beginResetModel();
  mSites = std::move(sites);
  mNames.clear();
  mNames.reserve(mSites.size());
  for (const ListedSite& site : mSites) mNames.push_back(FromUtf8(site.Name));
  Narrow();
  endResetModel();
}

void SiteListModel::SetFilter(const QString& text) {
  if (text == mFilter) return;
  beginResetModel();
  mFilter = text;
  Narrow();
  endResetModel();
}

void SiteListModel::Narrow() {
  mShown.clear();
  mShown.reserve(mSites.size());
  for (size_t i = 0; i < mNames.size(); ++i) {
    if (mFilter.isEmpty() || mNames[i].contains(mFilter, Qt::CaseInsensitive)) {
      mShown.push_back(static_cast<int>(i));
    }
  }
}

int SiteListModel::RowOfSlot(int16_t slot) const {
  for (size_t row = 0; row < mShown.size(); ++row) {
    if (mSites[mShown[row]].Slot == slot) return static_cast<int>(row);
  }
  return -1;
}

int SiteListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(mShown.size());
}

QVariant SiteListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int site = mShown[index.row()];
  if (role == Qt::DisplayRole) return mNames[site];
  if (role == Qt::UserRole) return mSites[site].Slot;
  return {};
}

}  // namespace ostrel
