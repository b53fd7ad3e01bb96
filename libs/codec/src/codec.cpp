#include <codec/codec.h>

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

bool DeriveKey(const char* key, std::size_t keyLength, unsigned char (&digest)[SHA256_DIGEST_LENGTH])
{
    unsigned int size = 0;
    return EVP_Digest(key, keyLength, digest, &size, EVP_sha256(), nullptr) == 1 && size == sizeof digest;
}

// Allocates at least one byte so that a successful call always returns a buffer to release.
unsigned char* Allocate(std::size_t size) { return static_cast<unsigned char*>(std::malloc(size ? size : 1)); }

bool ArgumentsUsable(const unsigned char* input, std::size_t inputLength, const char* key, std::size_t keyLength,
                     unsigned char** output, std::size_t* outputLength)
{
    if (!output || !outputLength) return false;
    if (!input && inputLength) return false;
    if (!key && keyLength) return false;
    return inputLength <= INT_MAX / 2;
}

}  // namespace

extern "C" int codec_encipher(const unsigned char* input, size_t input_length, const char* key, size_t key_length,
                              unsigned char** output, size_t* output_length)
{
    if (output) *output = nullptr;
    if (output_length) *output_length = 0;
    if (!ArgumentsUsable(input, input_length, key, key_length, output, output_length)) return CODEC_FAILURE;

    unsigned char keyBytes[SHA256_DIGEST_LENGTH];
    if (!DeriveKey(key, key_length, keyBytes)) return CODEC_FAILURE;

    const std::size_t total = kNonceSize + input_length + kTagSize;
    unsigned char* buffer = Allocate(total);
    if (!buffer) return CODEC_OUT_OF_MEMORY;
    *output = buffer;  // from here on the caller releases it on every path

    unsigned char* nonce = buffer;
    unsigned char* cipherText = buffer + kNonceSize;
    unsigned char* tag = cipherText + input_length;
    if (RAND_bytes(nonce, static_cast<int>(kNonceSize)) != 1) return CODEC_FAILURE;

    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return CODEC_OUT_OF_MEMORY;
    int written = 0;
    int finalWritten = 0;
    const bool ok = EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
                    EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1 &&
                    EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, keyBytes, nonce) == 1 &&
                    (input_length == 0 ||
                     EVP_EncryptUpdate(ctx.get(), cipherText, &written, input, static_cast<int>(input_length)) == 1) &&
                    EVP_EncryptFinal_ex(ctx.get(), cipherText + written, &finalWritten) == 1 &&
                    static_cast<std::size_t>(written + finalWritten) == input_length &&
                    EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag) == 1;
    OPENSSL_cleanse(keyBytes, sizeof keyBytes);
    if (!ok) return CODEC_FAILURE;
    *output_length = total;
    return CODEC_OK;
}

extern "C" int codec_decipher(const unsigned char* input, size_t input_length, const char* key, size_t key_length,
                              unsigned char** output, size_t* output_length)
{
    if (output) *output = nullptr;
    if (output_length) *output_length = 0;
    if (!ArgumentsUsable(input, input_length, key, key_length, output, output_length)) return CODEC_FAILURE;
    // Too short to hold a nonce and a tag: not something this library produced.
    if (input_length < kNonceSize + kTagSize) return CODEC_AUTHENTICATION_FAILED;

    unsigned char keyBytes[SHA256_DIGEST_LENGTH];
    if (!DeriveKey(key, key_length, keyBytes)) return CODEC_FAILURE;

    const std::size_t plainLength = input_length - kNonceSize - kTagSize;
    unsigned char* buffer = Allocate(plainLength);
    if (!buffer) return CODEC_OUT_OF_MEMORY;
    *output = buffer;

    const unsigned char* nonce = input;
    const unsigned char* cipherText = input + kNonceSize;
    unsigned char tag[kTagSize];
    std::memcpy(tag, cipherText + plainLength, kTagSize);

    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return CODEC_OUT_OF_MEMORY;
    int written = 0;
    int finalWritten = 0;
    const bool prepared =
        EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1 &&
        EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, keyBytes, nonce) == 1 &&
        (plainLength == 0 ||
         EVP_DecryptUpdate(ctx.get(), buffer, &written, cipherText, static_cast<int>(plainLength)) == 1) &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag) == 1;
    OPENSSL_cleanse(keyBytes, sizeof keyBytes);
    if (!prepared) return CODEC_FAILURE;
    if (EVP_DecryptFinal_ex(ctx.get(), buffer + written, &finalWritten) != 1) {
        OPENSSL_cleanse(buffer, plainLength);
        return CODEC_AUTHENTICATION_FAILED;
    }
    *output_length = plainLength;
    return CODEC_OK;
}

extern "C" void codec_release(unsigned char* buffer) { std::free(buffer); }
