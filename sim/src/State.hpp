#pragma once
// Everything the simulated machine knows: settings, accounts, documents, feeds,
// subscriptions, pending faults and what it has done. One mutex guards it all; the
// services take it for the length of one request.

#include "QuillhavenSim/Machine.hpp"

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace QuillhavenSim {

struct Account {
    std::string password;
    std::string displayName;
};

struct Document {
    std::string user;
    std::string title;
    DocumentFormat format = DocumentFormat::Pdf;
    bool fax = false;
    bool deleted = false;
};

struct FeedItem {
    std::string title;
    std::string description;      // HTML fragment, escaped when the feed is written
    std::string descriptionView;
    std::string descriptionType;
    std::string category;
    std::string categoryId;
    std::string categoryType;
    std::string categoryNotice;
    std::string enclosureUrl;     // empty: no enclosure
    std::string enclosureLength;
    std::string guid;
    std::string pubDate;
    bool notice = false;          // carries the notify group
    std::string notify, content, status, notifyId, notifyDate;
};

struct Feed {
    std::string lastBuildDate;
    std::vector<FeedItem> items;  // oldest first
};

struct Fault {
    FaultKind kind;
    int delayMs = 0;
};

struct Preparation {
    int remaining = 0;  // 403 answers still due before the document
};

struct State {
    mutable std::mutex mutex;

    std::uint16_t httpPort = 0;
    bool shiftJisFeed = false;

    std::string machineName = "Quillhaven Sim";
    int securityPolicy = 1;
    bool guestLogin = false;

    std::map<std::string, Account> accounts;
    std::map<std::string, Document> documents;  // by document code
    std::map<std::string, Feed> feeds;          // by user
    std::map<std::string, std::string> voices;  // voice file name -> user
    std::vector<Subscription> subscriptions;
    std::deque<Fault> faults;

    int preparationCount = 0;
    std::map<std::string, Preparation> preparations;  // by document code + "/" + download id
    int preparationRefusals = 0;
    int cancelledDownloads = 0;

    int nextDocument = 1;
    int nextNotice = 1;

    std::vector<RequestRecord> requests;
    std::vector<DatagramRecord> datagrams;
    std::vector<std::string> printed, deletedDocuments, deletedNotices;

    // Helpers; the caller holds the mutex.
    bool Authentic(const std::string& user, const std::string& password) const;
    bool Subscribed(const std::string& user, const std::string& address) const;
    std::string BaseUrl() const;  // "http://127.0.0.1:<port>/vozoz"
};

// Where a user's feed lives, below "/vozoz".
std::string FeedPath(const std::string& user);

}  // namespace QuillhavenSim
