// The document requests: thumbnail, voice, download with its preparation stage,
// cancel, print, delete, delete notice and the browser pages; and injected faults.

#include "SimFixture.hpp"

namespace SimTest {
namespace {

class Documents : public SimFixture {
protected:
    void SetUp() override { code = machine.PublishScan("alice"); }

    std::string Download(const std::string& stage, const std::string& uid = "1210120000",
                         const std::string& user = "alice")
    {
        std::string query = "/norvane?NVF=1&DC=" + code + "&UN=" + user + "&QHR=0";
        if (!stage.empty()) query += "&IDR=" + stage;
        Answer a = Get(query + "&UID=" + uid);
        return std::to_string(a.status) + " " + a.contentType.substr(0, a.contentType.find(';'));
    }

    std::string code;
};

TEST_F(Documents, ThumbnailAndVoiceAreValidFilesForTheirOwner)
{
    Answer thumb = Get("/norvane?NVF=6&DC=" + code + "&UN=alice");
    EXPECT_EQ(thumb.status, 200);
    EXPECT_EQ(thumb.contentType, "image/jpeg");
    ASSERT_GT(thumb.body.size(), 4u);
    EXPECT_EQ(thumb.body.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(thumb.body.substr(thumb.body.size() - 2), "\xFF\xD9");
    EXPECT_EQ(Get("/norvane?NVF=6&DC=" + code + "&UN=bob").status, 404);
    EXPECT_EQ(Get("/norvane?NVF=6&DC=9999&UN=alice").status, 404);

    const std::string voice = "/voice/" + code + ".wav";
    EXPECT_EQ(Get(voice).status, 401);
    EXPECT_EQ(Get(voice, "bob", "hunter2").status, 403);
    Answer wav = Get(voice, "alice", "secret");
    EXPECT_EQ(wav.status, 200);
    EXPECT_EQ(wav.contentType, "audio/wav");
    ASSERT_GT(wav.body.size(), 44u);
    EXPECT_EQ(wav.body.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.body.substr(8, 8), "WAVEfmt ");
    const auto* size = reinterpret_cast<const unsigned char*>(wav.body.data() + 40);
    EXPECT_EQ(size[0] | size[1] << 8 | size[2] << 16 | size[3] << 24, static_cast<int>(wav.body.size() - 44));

    machine.RemoveUser("alice");  // a removed account's documents go with it
    EXPECT_EQ(Get("/norvane?NVF=6&DC=" + code + "&UN=alice").status, 404);
}

TEST_F(Documents, DocumentsComeInTheirOwnFormat)
{
    EXPECT_EQ(Download("1"), "200 application/pdf");
    EXPECT_EQ(Download(""), "200 application/pdf");
    code = machine.PublishFax("alice");
    EXPECT_EQ(Download("2"), "200 image/tiff");
    code = machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Jpeg);
    EXPECT_EQ(Download("1"), "200 image/jpeg");
    EXPECT_EQ(Download("1", "1", "bob"), "404 text/plain");
}

TEST_F(Documents, ThePreparationStageRefusesTheConfiguredNumberOfTimes)
{
    machine.SetPreparationCount(2);
    EXPECT_EQ(Download("1"), "200 text/html");  // no document yet: preparation starts
    EXPECT_EQ(Download("2"), "403 text/plain");
    EXPECT_EQ(Download("2"), "403 text/plain");
    EXPECT_EQ(Download("2"), "200 application/pdf");
    EXPECT_EQ(machine.PreparationRefusals(), 2);

    // A cancelled preparation starts over; another download has its own count.
    EXPECT_EQ(Download("1", "A"), "200 text/html");
    EXPECT_EQ(Download("2", "A"), "403 text/plain");
    EXPECT_EQ(Download("3", "A"), "200 text/plain");
    EXPECT_EQ(machine.CancelledDownloads(), 1);
    EXPECT_EQ(Download("2", "A"), "403 text/plain");
    EXPECT_EQ(Download("2", "B"), "403 text/plain");
    EXPECT_EQ(machine.PreparationRefusals(), 5);
}

TEST_F(Documents, PrintAndDeleteWantTheOwnersCredentials)
{
    const std::string print = "/norvane?NVF=2&DC=" + code + "&UN=alice&QHR=1";
    EXPECT_EQ(Get(print).status, 401);
    EXPECT_EQ(Get(print, "alice", "wrong").status, 403);
    EXPECT_EQ(Get(print, "bob", "hunter2").status, 403);
    EXPECT_EQ(Get(print, "alice", "secret").status, 200);
    EXPECT_EQ(machine.PrintedDocuments(), std::vector<std::string>{code});

    const std::string remove = "/norvane?NVF=5&DC=" + code + "&UN=alice";
    EXPECT_EQ(Get(remove, "bob", "hunter2").status, 403);
    EXPECT_EQ(Get(remove, "alice", "secret").status, 200);
    EXPECT_EQ(machine.DeletedDocuments(), std::vector<std::string>{code});
    EXPECT_EQ(Get(remove, "alice", "secret").status, 404);
    EXPECT_EQ(Get("/norvane?NVF=6&DC=" + code + "&UN=alice").status, 404);
    EXPECT_EQ(Download("1"), "404 text/plain");
}

TEST_F(Documents, DeleteNoticeNamesAnExistingNotice)
{
    const std::string id = machine.PublishNotice("alice", "due", "2");
    EXPECT_EQ(Get("/norvane?NVF=8&DC=&UN=alice&NTF=" + id).status, 401);
    EXPECT_EQ(Get("/norvane?NVF=8&DC=&UN=alice&NTF=77", "alice", "secret").status, 404);
    EXPECT_EQ(Get("/norvane?NVF=8&DC=&UN=alice&NTF=" + id, "alice", "secret").status, 200);
    EXPECT_EQ(machine.DeletedNotices(), std::vector<std::string>{id});
}

TEST_F(Documents, BrowserPagesAreHtml)
{
    for (const char* query : {"/norvane?NVF=3&UN=alice", "/norvane?NVF=4&UN=alice",
                              "/norvane?NVF=7&UN=alice&DC=0001&NTF=1", "/norvane?NVF=9&UN=alice"}) {
        Answer page = Get(query);
        EXPECT_EQ(page.status, 200) << query;
        EXPECT_EQ(page.contentType, "text/html; charset=UTF-8") << query;
        EXPECT_NE(page.body.find("<html>"), std::string::npos) << query;
    }
    EXPECT_EQ(Get("/norvane?NVF=42&UN=alice").status, 400);
}

TEST_F(Documents, InjectedFaultsReplaceTheNextAnswersInOrder)
{
    using QuillhavenSim::FaultKind;
    machine.InjectFault(FaultKind::Busy);
    machine.InjectFault(FaultKind::Wrong);
    machine.InjectFault(FaultKind::NonXml);
    machine.InjectFault(FaultKind::Forbidden);
    machine.InjectFault(FaultKind::Failure, 2);
    machine.InjectFault(FaultKind::Slow, 1, 50);
    const std::string list = Request("GETUSERLIST");
    EXPECT_EQ(Result(list), "FAIL_MACHINE_BUSY");
    EXPECT_EQ(Result(list), "FAIL_UNEXPECTED");
    Answer html = Post(list);
    EXPECT_EQ(html.status, 200);
    EXPECT_EQ(html.contentType.rfind("text/html", 0), 0u);
    EXPECT_EQ(Post(list).status, 403);
    EXPECT_EQ(Get("/norvane?NVF=6&DC=" + code + "&UN=alice").status, 500);  // faults hit any request
    EXPECT_EQ(Post(list).status, 500);
    EXPECT_EQ(Result(list), "SUCCESS");  // the slow answer is a normal one
    EXPECT_EQ(Result(list), "SUCCESS");
}

}  // namespace
}  // namespace SimTest
