#include "window/SiteList.h"

namespace ostrel {

SiteList::SiteList(QWidget* parent) : QListView(parent), mModel(this) {
  setModel(&mModel);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // One height for every entry: tens of thousands are laid out at once.
  setUniformItemSizes(true);
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid() && onDoubleClick) onDoubleClick(index.row());
  });
}

void SiteList::SetFilter(const QString& text) {
  const int chosen = currentRow();
  const int16_t slot = chosen < 0 ? -1 : Site(chosen).Slot;
  mModel.SetFilter(text);
  const int row = slot < 0 ? -1 : RowOfSlot(slot);
  setCurrentRow(row >= 0 ? row : count() > 0 ? 0 : -1);
}

QString SiteList::text(int row) const { return mModel.data(mModel.index(row), Qt::DisplayRole).toString(); }

int SiteList::currentRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void SiteList::setCurrentRow(int row) {
  if (row < 0 || row >= count()) {
    clearSelection();
    setCurrentIndex({});
    return;
  }
  setCurrentIndex(mModel.index(row));
}

QRect SiteList::visualRowRect(int row) const { return visualRect(mModel.index(row)); }

}  // namespace ostrel
