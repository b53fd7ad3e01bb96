#include "HTTP/Mcmd.hpp"

#include "System/SystemError.hpp"

#include <ostrel/exception.hpp>
#include <transport/transport.hpp>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace HTTP {

namespace {

constexpr const char* kNames[TagCount] = {
    "A",          "CATEGORY",    "CHANNEL",        "COMMAND",     "CONTENT",  "COUNT",     "DESCRIPTION",
    "DETAILS",    "DISPLAYNAME", "ENCLOSURE",      "FEEDATOM",    "FEEDRSS",  "GENERATOR", "GUESTLOGIN",
    "GUID",       "IMG",         "ITEM",           "LANGUAGE",    "LASTBUILDDATE", "LINK", "LISTENPORT",
    "MACHINENAME", "MFPID",      "NOTIFY",         "NOTIFYID",    "NOTIFYDATE", "PARAM",   "PASSWORD",
    "PUBDATE",    "REQUEST",     "RESPONSE",       "RESULT",      "SECURITYPOLICY", "STATUS", "TABLE",
    "TBODY",      "TD",          "TITLE",          "TR",          "USER",     "USERGROUP", "USERID",
    "USERNAME",   "USER_NAME"};

constexpr std::size_t kSlot = 20;

struct Table {
    std::array<std::array<char, kSlot>, TagCount> slots{};
    std::array<const char*, TagCount + 1> pointers{};
};

Table& table()
{
    static Table instance;
    static std::once_flag filled;
    std::call_once(filled, [] {
        for (int i = 0; i < TagCount; ++i) {
            std::strncpy(instance.slots[i].data(), kNames[i], kSlot - 1);
            instance.pointers[i] = instance.slots[i].data();
        }
        instance.pointers[TagCount] = nullptr;
    });
    return instance;
}

}  // namespace

const char* const* TagTable() { return table().pointers.data(); }

int TagId(const std::string& name)
{
    const auto& names = table().pointers;
    for (int i = 0; i < TagCount; ++i) {
        if (name == names[i]) return i;
    }
    return TagCount;
}

std::string TagName(int id) { return id >= 0 && id < TagCount ? TagTable()[id] : std::string(); }

Mcmd::Mcmd() : document(transport::CreateDocument(TagTable()))
{
    if (!document) OSTREL_THROW(::SystemError(errno));
}

Mcmd::~Mcmd() { transport::DestroyDocument(document); }

}  // namespace HTTP
