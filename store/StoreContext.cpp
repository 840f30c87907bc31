#include "store/StoreContext.h"

#include "platform/files/PosixRecordFiles.h"
#include "store/PasswordFile.h"

namespace ostrel {

StoreContext::StoreContext() : StoreContext(std::make_unique<PosixRecordFiles>()) {}

StoreContext::StoreContext(std::unique_ptr<IRecordFiles> files) : mFiles(std::move(files)) {}

StoreContext::~StoreContext() = default;

StoreContext::ExpectSite::ExpectSite(StoreContext& context, ListedSite site)
    : mContext(context), mPrevious(context.mExpected) {
  mContext.mExpected = std::move(site);
}

StoreContext::ExpectSite::~ExpectSite() { mContext.mExpected = std::move(mPrevious); }

const ListedSite* StoreContext::ExpectedSite(int32_t slot) const {
  return mExpected && mExpected->Slot == slot ? &*mExpected : nullptr;
}

}  // namespace ostrel
