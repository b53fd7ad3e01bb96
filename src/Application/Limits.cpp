#include "Application/Limits.hpp"

namespace Limits {

namespace {
Values& storage()
{
    static Values values;
    return values;
}
}  // namespace

const Values& Current() { return storage(); }
void Set(const Values& values) { storage() = values; }

}  // namespace Limits
