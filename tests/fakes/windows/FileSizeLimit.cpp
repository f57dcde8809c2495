#include "tests/fakes/FileSizeLimit.h"

namespace fakes {

FileSizeLimit::FileSizeLimit(std::uint64_t) {}

FileSizeLimit::~FileSizeLimit() = default;

bool FileSizeLimit::supported() { return false; }

}  // namespace fakes
