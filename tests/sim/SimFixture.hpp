#pragma once
// A running simulated machine with two users, and the raw requests tests make to it.

#include "RawHttp.hpp"

#include "QuillhavenSim/Machine.hpp"

#include <gtest/gtest.h>

#include <string>

namespace SimTest {

inline std::string Request(const std::string& command, const std::string& params = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><REQUEST><COMMAND>" + command + "</COMMAND>" +
           (params.empty() ? std::string() : "<PARAM>" + params + "</PARAM>") + "</REQUEST>";
}

inline std::string SubscribeRequest(const std::string& user, const std::string& password, int port)
{
    return Request("SUBSCRIBETOFEED", "<USERNAME>" + user + "</USERNAME><PASSWORD>" + password +
                                          "</PASSWORD><LISTENPORT>" + std::to_string(port) + "</LISTENPORT>");
}

class SimFixture : public ::testing::Test {
protected:
    explicit SimFixture(QuillhavenSim::Options options = {}) : machine(options)
    {
        machine.AddUser("alice", "secret", "アリス");
        machine.AddUser("bob", "hunter2", "Bob");
    }

    std::string Base() const { return "http://127.0.0.1:" + std::to_string(machine.HttpPort()) + "/vozoz"; }

    Answer Post(const std::string& body) { return Command(machine.HttpPort(), body); }

    std::string Result(const std::string& body) { return FirstText(Post(body).body, "RESULT"); }

    void Subscribe(const std::string& user, const std::string& password, int port = 61010)
    {
        ASSERT_EQ(Result(SubscribeRequest(user, password, port)), "SUCCESS");
    }

    Answer ReadFeed(const std::string& user, const std::string& asUser, const std::string& password)
    {
        return Fetch({Base() + machine.FeedLocation(user), {}, asUser, password});
    }

    Answer Get(const std::string& pathAndQuery, const std::string& user = {}, const std::string& password = {})
    {
        return Fetch({Base() + pathAndQuery, {}, user, password});
    }

    QuillhavenSim::Machine machine;
};

}  // namespace SimTest
