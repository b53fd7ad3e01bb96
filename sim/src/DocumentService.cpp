#include "DocumentService.hpp"

#include "Credentials.hpp"
#include "Media.hpp"
#include "Pages.hpp"
#include "Text.hpp"

#include <map>

namespace QuillhavenSim {

namespace {

using Query = std::map<std::string, std::string>;

std::string Get(const Query& q, const char* key)
{
    auto it = q.find(key);
    return it == q.end() ? std::string() : it->second;
}

Reply Bytes(const char* type, std::string body)
{
    Reply reply;
    reply.contentType = type;
    reply.body = std::move(body);
    return reply;
}

Reply DocumentBytes(const std::string& code, const Document& doc)
{
    switch (doc.format) {
    case DocumentFormat::Jpeg: return Bytes("image/jpeg", Media::Jpeg(640, 480));
    case DocumentFormat::Tiff: return Bytes("image/tiff", Media::Tiff(64, 64));
    case DocumentFormat::Pdf: break;
    }
    return Bytes("application/pdf", Media::Pdf("Quillhaven document " + code));
}

// The user's own, not deleted document of the request, or null.
const Document* FindDocument(const State& state, const Query& q)
{
    auto it = state.documents.find(Get(q, "DC"));
    if (it == state.documents.end() || it->second.deleted || it->second.user != Get(q, "UN")) return nullptr;
    return &it->second;
}

Reply Download(State& state, const Query& q)
{
    const std::string code = Get(q, "DC");
    const Document* doc = FindDocument(state, q);
    if (!doc) return TextReply(404, "no such document");
    const std::string key = code + "/" + Get(q, "UID");
    const std::string stage = Get(q, "IDR");
    if (stage == "3") {
        state.preparations.erase(key);
        ++state.cancelledDownloads;
        return TextReply(200, "download cancelled");
    }
    if (stage == "1") {
        if (state.preparationCount <= 0) return DocumentBytes(code, *doc);
        // Not ready: the answer is no document, and preparation starts.
        state.preparations[key].remaining = state.preparationCount;
        return Bytes("text/html; charset=UTF-8", "<html><body>preparing</body></html>\n");
    }
    if (stage == "2") {
        auto it = state.preparations.find(key);
        if (it == state.preparations.end())
            it = state.preparations.emplace(key, Preparation{state.preparationCount}).first;
        if (it->second.remaining > 0) {
            --it->second.remaining;
            ++state.preparationRefusals;
            return TextReply(403, "still preparing");
        }
        state.preparations.erase(it);
    }
    return DocumentBytes(code, *doc);
}

// Print, delete and delete notice act for the user of the credentials, who must be UN.
Reply Act(State& state, const Request& request, const Query& q, Reply& logged)
{
    const std::string nvf = Get(q, "NVF");
    if (auto refusal = RefuseUnlessAuthorized(state, request, Get(q, "UN"), logged.user)) return *refusal;
    if (nvf == "8") {
        const std::string id = Get(q, "NTF");
        for (const FeedItem& item : state.feeds[Get(q, "UN")].items) {
            if (item.notice && item.notifyId == id && !id.empty()) {
                state.deletedNotices.push_back(id);
                return TextReply(200, "notice deleted");
            }
        }
        return TextReply(404, "no such notice");
    }
    const std::string code = Get(q, "DC");
    auto it = state.documents.find(code);
    if (it == state.documents.end() || it->second.deleted || it->second.user != Get(q, "UN"))
        return TextReply(404, "no such document");
    if (nvf == "2") {
        state.printed.push_back(code);
        return TextReply(200, "printing");
    }
    it->second.deleted = true;
    state.deletedDocuments.push_back(code);
    return TextReply(200, "document deleted");
}

}  // namespace

bool IsDocumentPath(const std::string& path)
{
    return path == "/norvane";
}

bool IsVoicePath(const std::string& path)
{
    return path.compare(0, 7, "/voice/") == 0;
}

Reply HandleDocument(State& state, const Request& request, const std::string& query)
{
    if (request.method != "GET") return TextReply(405, "document requests use GET");
    const Query q = Text::ParseQuery(query);
    const std::string nvf = Get(q, "NVF");
    Reply reply;
    if (nvf == "1") {
        reply = Download(state, q);
    } else if (nvf == "2" || nvf == "5" || nvf == "8") {
        Reply logged;
        reply = Act(state, request, q, logged);
        reply.user = logged.user;
    } else if (nvf == "6") {
        reply = FindDocument(state, q) ? Bytes("image/jpeg", Media::Jpeg(64, 48)) : TextReply(404, "no such document");
    } else if (nvf == "3" || nvf == "4" || nvf == "7" || nvf == "9") {
        reply = BrowserPage(state, nvf, q);
    } else {
        reply = TextReply(400, "unknown function");
    }
    return reply;
}

Reply HandleVoice(State& state, const Request& request, const std::string& path)
{
    if (request.method != "GET") return TextReply(405, "voices are read with GET");
    auto it = state.voices.find(path.substr(7));
    if (it == state.voices.end()) return TextReply(404, "no such voice");
    std::string who;
    if (auto refusal = RefuseUnlessAuthorized(state, request, it->second, who)) {
        refusal->user = who;
        return *refusal;
    }
    Reply reply = Bytes("audio/wav", Media::Wav());
    reply.user = who;
    return reply;
}

}  // namespace QuillhavenSim
