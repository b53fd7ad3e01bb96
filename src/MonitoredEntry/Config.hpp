#pragma once
// The settings of one entry: log capacity, check interval and how events are shown.
// Unrelated to the program's settings class ::Config.

namespace MonitoredEntry {

class Config {
public:
    Config() = default;
    Config(int logMax, int interval, bool notice, bool noticeVoice, bool thumbnailHidden, int eraseTime,
           bool eventRead, bool deleteMsg, int notifyDisplay);

    const int& GetLogMax() const { return logMax_; }
    void SetLogMax(const int& value) { logMax_ = value; }
    /// Milliseconds between regular checks of the feed.
    const int& GetInterval() const { return interval_; }
    void SetInterval(const int& value) { interval_ = value; }
    const bool& GetNotice() const { return notice_; }
    void SetNotice(const bool& value) { notice_ = value; }
    const bool& GetNoticeVoice() const { return noticeVoice_; }
    void SetNoticeVoice(const bool& value) { noticeVoice_ = value; }
    /// Not stored: an entry read back from the data file has it false.
    const bool& GetThumbnailHidden() const { return thumbnailHidden_; }
    void SetThumbnailHidden(const bool& value) { thumbnailHidden_ = value; }
    /// Milliseconds after which a popup closes by itself; 0 keeps it.
    const int& GetEraseTime() const { return eraseTime_; }
    void SetEraseTime(const int& value) { eraseTime_ = value; }
    const bool& GetEventRead() const { return eventRead_; }
    void SetEventRead(const bool& value) { eventRead_ = value; }
    const bool& GetDeleteMsg() const { return deleteMsg_; }
    void SetDeleteMsg(const bool& value) { deleteMsg_ = value; }
    /// Due-date notices: 0 never, 1 once a day, 2 at each notice time.
    const int& GetNotifyDisplay() const { return notifyDisplay_; }
    void SetNotifyDisplay(const int& value) { notifyDisplay_ = value; }

    /// LogMax, Interval and EraseTime lie in the process-wide ranges (Limits::Current()).
    /// An empty range is a configuration fault and raises ostrel::logic_error.
    bool IsValid() const;

    friend bool operator==(const Config&, const Config&) = default;

private:
    int logMax_ = 0;
    int interval_ = 0;
    bool notice_ = false;
    bool noticeVoice_ = false;
    bool thumbnailHidden_ = false;
    int eraseTime_ = 0;
    bool eventRead_ = false;
    bool deleteMsg_ = false;
    int notifyDisplay_ = 1;
};

}  // namespace MonitoredEntry
