#include <codec/codec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kKey[] = "key text";

struct Result {
    int status = -1;
    std::vector<unsigned char> bytes;
};

Result Call(int (*op)(const unsigned char*, size_t, const char*, size_t, unsigned char**, size_t*),
           const std::vector<unsigned char>& input, const std::string& key = kKey)
{
    unsigned char* out = nullptr;
    size_t size = 0;
    Result r;
    r.status = op(input.data(), input.size(), key.data(), key.size(), &out, &size);
    if (r.status == CODEC_OK) r.bytes.assign(out, out + size);
    codec_release(out);
    return r;
}

TEST(Codec, RoundTripsAnyBytesIncludingNone)
{
    for (const std::vector<unsigned char>& plain :
         {std::vector<unsigned char>{}, std::vector<unsigned char>{0}, std::vector<unsigned char>(1000, 0xAB)}) {
        const Result sealed = Call(codec_encipher, plain);
        ASSERT_EQ(sealed.status, CODEC_OK);
        EXPECT_EQ(sealed.bytes.size(), plain.size() + 28);  // nonce + tag
        const Result opened = Call(codec_decipher, sealed.bytes);
        ASSERT_EQ(opened.status, CODEC_OK);
        EXPECT_EQ(opened.bytes, plain);
    }
}

TEST(Codec, FreshNonceEveryCall)
{
    const std::vector<unsigned char> plain{'a', 0, 'b', 0};
    EXPECT_NE(Call(codec_encipher, plain).bytes, Call(codec_encipher, plain).bytes);
}

TEST(Codec, AlteredTruncatedOrForeignBytesAreRefused)
{
    const std::vector<unsigned char> plain{'s', 0, 'e', 0, 'c', 0};
    const Result sealed = Call(codec_encipher, plain);
    for (std::size_t i = 0; i < sealed.bytes.size(); ++i) {
        auto altered = sealed.bytes;
        altered[i] ^= 0x01;
        EXPECT_EQ(Call(codec_decipher, altered).status, CODEC_AUTHENTICATION_FAILED) << "byte " << i;
    }
    auto truncated = sealed.bytes;
    truncated.pop_back();
    EXPECT_EQ(Call(codec_decipher, truncated).status, CODEC_AUTHENTICATION_FAILED);
    EXPECT_EQ(Call(codec_decipher, std::vector<unsigned char>(5, 1)).status, CODEC_AUTHENTICATION_FAILED);
    EXPECT_EQ(Call(codec_decipher, sealed.bytes, "another key").status, CODEC_AUTHENTICATION_FAILED);
}

TEST(Codec, MissingOutputArgumentsAreAFailureNotACrash)
{
    const unsigned char byte = 1;
    EXPECT_EQ(codec_encipher(&byte, 1, kKey, 8, nullptr, nullptr), CODEC_FAILURE);
    unsigned char* out = nullptr;
    size_t size = 0;
    EXPECT_EQ(codec_encipher(nullptr, 4, kKey, 8, &out, &size), CODEC_FAILURE);
    EXPECT_EQ(out, nullptr);
    codec_release(nullptr);
}

}  // namespace
