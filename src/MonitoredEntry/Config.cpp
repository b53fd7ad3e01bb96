#include "MonitoredEntry/Config.hpp"

#include "Application/Limits.hpp"

#include <ostrel/exception.hpp>

namespace MonitoredEntry {

namespace {

bool InRange(int value, int low, int high)
{
    if (high < low) OSTREL_THROW(ostrel::logic_error() << ostrel::error_message("empty value range"));
    return low <= value && value <= high;
}

}  // namespace

Config::Config(int logMax, int interval, bool notice, bool noticeVoice, bool thumbnailHidden, int eraseTime,
               bool eventRead, bool deleteMsg, int notifyDisplay)
    : logMax_(logMax), interval_(interval), notice_(notice), noticeVoice_(noticeVoice),
      thumbnailHidden_(thumbnailHidden), eraseTime_(eraseTime), eventRead_(eventRead), deleteMsg_(deleteMsg),
      notifyDisplay_(notifyDisplay)
{
}

bool Config::IsValid() const
{
    const Limits::Values& limits = Limits::Current();
    return InRange(logMax_, 1, limits.eventLogMax) &&
           InRange(interval_, limits.checkIntervalMin, limits.checkIntervalMax) &&
           InRange(eraseTime_, limits.eraseIntervalMin, limits.eraseIntervalMax);
}

}  // namespace MonitoredEntry
