// The tray program as a whole against a simulated machine on 127.0.0.1: a scan at the
// machine becomes a popup and an unread tray icon; the shutdown unsubscribes and saves.

#include "Fakes.hpp"
#include "QtApplication.hpp"
#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/MainFrame.hpp"
#include "Norvane/UI/Message.hpp"
#include "Norvane/UI/PopupEventDlg.hpp"
#include "Norvane/UI/SingleWindow.hpp"
#include "Norvane/UI/SystemTrayIcon.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "System/InstanceLock.hpp"

#include "EventLoop.hpp"
#include "TempDir.hpp"

#include <QApplication>
#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace fs = boost::filesystem;

namespace {


UI::PopupEventDlg* visiblePopup()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* popup = qobject_cast<UI::PopupEventDlg*>(widget); popup && popup->isVisible()) return popup;
    return nullptr;
}

TEST(TrayRoad, AScanPopsUpTurnsTheTrayUnreadAndShutdownUnsubscribesAndSaves)
{
    EnsureApplication();
    IsolatedEnvironment env;
    const int port = Fakes::FreeUdpPort();
    WriteFile(env.dataDirectory() / "config.dat", "VERSION = 1.00\nPORT = " + std::to_string(port) + "\n");
    QuillhavenSim::Machine machine;
    machine.AddUser("alice", "secret", "Alice");
    System::InstanceLock lock("OsmarkNorvane4");

    UI::MainFrame frame(lock);
    const ID id = Fakes::AddEntry(*frame.Manager(), L"127.0.0.1", machine.HttpPort());
    ASSERT_TRUE(SpinUntil([&] {
        for (const auto& s : machine.Subscriptions())
            if (s.user == "alice" && s.listenPort == port) return true;
        return false;
    }));

    machine.PublishScan("alice");
    ASSERT_TRUE(SpinUntil([&] { return visiblePopup() != nullptr; })) << "no popup appeared";
    EXPECT_EQ(frame.Tray().Status(), UI::StatusTag::Unread);
    EXPECT_EQ(Fakes::Log(*frame.Manager(), id).GetEventList().size(), 1u);

    frame.Shutdown();
    EXPECT_TRUE(machine.Subscriptions().empty()) << "the shutdown unsubscribes";
    EXPECT_FALSE(frame.OpenWindow(UI::Window::EventLog));
    frame.ShowWindow(UI::Window::EventLog);
    EXPECT_FALSE(frame.OpenWindow(UI::Window::EventLog)) << "no window opens after the shutdown began";

    auto reloaded = std::make_shared<MonitoredEntry::EntryManager>();
    MonitoredEntry::DataFile::Load(reloaded, env.dataDirectory() / "data.dat");
    EXPECT_EQ(Fakes::Log(*reloaded, id).GetEventList().size(), 1u);
}

}  // namespace
