#include "QH/TimeoutTable.hpp"

#include <atomic>
#include <mutex>

namespace QH {

struct Config::Pimpl {
    std::array<HTTP::Timeout, RequestKinds> records{};
};

Config::Config() : pimpl(std::make_unique<Pimpl>()) {}
Config::Config(const Config& other) : pimpl(std::make_unique<Pimpl>(*other.pimpl)) {}
Config& Config::operator=(const Config& other)
{
    *pimpl = *other.pimpl;
    return *this;
}
Config::~Config() = default;

HTTP::Timeout& Config::operator[](Request kind) { return pimpl->records.at(static_cast<std::size_t>(kind)); }
const HTTP::Timeout& Config::operator[](Request kind) const
{
    return pimpl->records.at(static_cast<std::size_t>(kind));
}

namespace {
std::mutex currentMutex;
std::shared_ptr<const Config>& currentTable()
{
    static std::shared_ptr<const Config> table = std::make_shared<const Config>();
    return table;
}
}  // namespace

void Config::Install(const Config& table)
{
    auto copy = std::make_shared<const Config>(table);
    std::lock_guard lock(currentMutex);
    currentTable() = std::move(copy);
}

std::shared_ptr<const Config> Config::Current()
{
    std::lock_guard lock(currentMutex);
    return currentTable();
}

HTTP::Timeout Config::CurrentRecord(Request kind) { return (*Current())[kind]; }

}  // namespace QH
