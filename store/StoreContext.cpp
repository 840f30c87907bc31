#include "store/StoreContext.h"

#include "platform/files/PosixRecordFiles.h"

namespace ostrel {

StoreContext::StoreContext() : StoreContext(std::make_unique<PosixRecordFiles>()) {}

StoreContext::StoreContext(std::unique_ptr<IRecordFiles> files) : mFiles(std::move(files)) {}

}  // namespace ostrel
