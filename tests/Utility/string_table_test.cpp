#include "System/ExecutablePath.hpp"
#include "System/SystemError.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/StringTable.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

TEST(StringTable, HoldsTheProgramsTexts)
{
    const std::pair<unsigned, std::wstring> samples[] = {
        {175, L"アプリケーションの初期化に失敗しました。"},
        {113, L"設定の読み込みに失敗しました。"},
        {116, L"設定の保存に失敗しました。"},
        {1136, L"Norvane4"},
        {185, L"設定(&S)..."},
        {133, L"No."},
        {216, L"認証に失敗しました。\r\nユーザー名とパスワードを確認して、もう一度入力してください。\r\n"
              L"パスワードは、大文字と小文字が区別されます。"},
        {270, L"全てのお知らせを\n確認する(&D)"},
        {223, L"本日のお知らせ：%d件  （  期限超過：%d件 ）"},
        {182, L"同じ機器のユーザーは１人しか登録できません。 ウィザードを終了しますか？"},
    };
    for (const auto& [id, text] : samples) {
        EXPECT_EQ(LoadString(id), text) << id;
        EXPECT_EQ(LoadStringFromApp(id), text) << id;
    }
}

TEST(StringTable, HoldsTheColumnWidths)
{
    EXPECT_EQ(LoadStringFromApp(106), L"275,100,170,80");
    EXPECT_EQ(LoadStringFromApp(111), L"36,140,70");
    EXPECT_EQ(LoadStringFromApp(112), L"50,410");
    EXPECT_EQ(LoadStringFromApp(127), L"36,150,150,200,80,0,0,0");
    EXPECT_EQ(LoadStringFromApp(260), L"100,280,171,0,0,0");
}

TEST(StringTable, EveryEntryIsFoundAndNotEmpty)
{
    for (const auto& entry : StringTable::Entries()) {
        EXPECT_EQ(StringTable::Find(entry.id), entry.text);
        EXPECT_NE(std::string(entry.text), "") << entry.id;
    }
    EXPECT_EQ(StringTable::Find(0), nullptr);
    EXPECT_EQ(StringTable::Find(118), nullptr);
}

TEST(StringTable, StrictLoaderRaisesForAMissingNumber)
{
    EXPECT_EQ(LoadString(118), L"");
    try {
        LoadStringFromApp(118);
        FAIL() << "no exception";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.code().value(), ENOENT);
    }
}

TEST(ExecutablePath, IsThisTestProgram)
{
    const std::filesystem::path path = ExecutablePath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "utility_tests");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

} // namespace
