#include "Monitoring/NoticeFlags.hpp"

namespace MachineEvent {

void NoticeFlags::Reset()
{
    lastNoticeDate = 0;
    dateChangeSeen = false;
    dailyNoticeDue = false;
    noticeRequested = false;
    overduePending = false;
    overdueNoticeDue = false;
    openInNoticeView = false;
}

NoticeFlags& GetNoticeFlags()
{
    static NoticeFlags flags;
    return flags;
}

}  // namespace MachineEvent
