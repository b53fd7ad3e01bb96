#pragma once
// What the entry window tests share: the application object, an event loop that runs
// until a condition holds, a message recorder, and controls by their numeric id.

#include "EventLoop.hpp"
#include "QtApplication.hpp"
#include "Norvane/UI/Message.hpp"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace EntrySettings {

using ::EnsureApplication;

using ::SpinUntil;

inline void ProcessEvents() { SpinUntil([] { return false; }, std::chrono::milliseconds(50)); }

/// Records the texts of the boxes and answers questions with `answer`.
class RecordingMessages : public UI::MessageService {
public:
    void Show(const std::wstring& text, UI::MessageIcon) override { Record(text); }
    bool Ask(const std::wstring& text) override
    {
        Record(text);
        return answer;
    }
    std::vector<std::wstring> Texts() const
    {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    bool answer = true;

private:
    void Record(const std::wstring& text)
    {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
    }
    mutable std::mutex mutex_;
    std::vector<std::wstring> texts_;
};

/// Installs a recorder for the test's life.
struct ScopedMessages {
    ScopedMessages() : recorder(std::make_shared<RecordingMessages>()) { UI::Message::SetService(recorder); }
    ~ScopedMessages() { UI::Message::SetService(nullptr); }
    std::shared_ptr<RecordingMessages> recorder;
};

/// The control with numeric id `id`; fails the test when it is missing.
template <class T>
T* Control(const QWidget& window, int id)
{
    T* control = window.findChild<T*>(QString::number(id));
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
}

}  // namespace EntrySettings
