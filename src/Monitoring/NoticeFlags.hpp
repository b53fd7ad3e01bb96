#pragma once
// The process-wide notice display flags. The popup event manager arms them when an
// overdue notice arrives, the main window's notice timer and the event log viewer read
// and clear them. Plain atomics: each flag is read and written on its own.

#include <atomic>

namespace MachineEvent {

struct NoticeFlags {
    /// Year * 10000 + month * 100 + day on which the daily notice list was last shown; 0 after start-up.
    std::atomic<int> lastNoticeDate{0};
    /// A new day was noticed and not yet handled by the viewer.
    std::atomic<bool> dateChangeSeen{false};
    /// The viewer should show today's notices.
    std::atomic<bool> dailyNoticeDue{false};
    /// An overdue notice arrived for an entry showing notices at each notice time.
    std::atomic<bool> noticeRequested{false};
    /// The same event, not yet passed to the viewer.
    std::atomic<bool> overduePending{false};
    /// The viewer should show the notices because of an overdue notice.
    std::atomic<bool> overdueNoticeDue{false};
    /// Which view the viewer opens in.
    std::atomic<bool> openInNoticeView{false};

    /// Everything back to its start-up value.
    void Reset();

    static int PackDate(int year, int month, int day) { return year * 10000 + month * 100 + day; }
};

/// The one set of flags of the process.
NoticeFlags& GetNoticeFlags();

}  // namespace MachineEvent
