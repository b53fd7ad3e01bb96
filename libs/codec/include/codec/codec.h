#pragma once
/*
 * The password cipher library.
 *
 * Three operations with a plain C interface: encipher, decipher and release. The
 * cipher is AES-256-GCM; the key is the SHA-256 digest of the key text the caller
 * passes; every encipher call draws a fresh random 12-byte nonce. The enciphered
 * form is nonce (12 bytes), ciphertext, tag (16 bytes), so it is 28 bytes longer
 * than the input. Deciphering checks the tag: altered or foreign bytes are refused.
 *
 * Output buffers are allocated by the library; the caller hands every non-null
 * output pointer back to codec_release exactly once, whatever the status.
 */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum codec_status {
    CODEC_OK = 0,
    CODEC_OUT_OF_MEMORY = 1,
    CODEC_AUTHENTICATION_FAILED = 100, /* altered, truncated or foreign bytes */
    CODEC_FAILURE = 999                /* bad arguments or a failure of the cipher itself */
};

/* Enciphers `input_length` bytes at `input` with the key text `key` of `key_length` bytes. */
int codec_encipher(const unsigned char* input, size_t input_length, const char* key, size_t key_length,
                   unsigned char** output, size_t* output_length);

/* Deciphers what codec_encipher produced with the same key text. */
int codec_decipher(const unsigned char* input, size_t input_length, const char* key, size_t key_length,
                   unsigned char** output, size_t* output_length);

/* Releases a buffer returned by codec_encipher or codec_decipher; null is ignored. */
void codec_release(unsigned char* buffer);

#ifdef __cplusplus
}
#endif
