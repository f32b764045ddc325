#pragma once
// The text form of a serialised state used by preset blobs: standard base64 (RFC 4648 alphabet,
// "=" fill, no line breaks).

#include <cstdint>
#include <string>

std::string Base64Encode(const uint8_t* data, int n);

// Decodes into out[0..outSize): the buffer is zeroed first, bytes beyond outSize are dropped, and
// decoding stops at the end of the text or at the first character outside the alphabet (so "="
// ends it). Returns the number of bytes stored.
int Base64Decode(const char* text, uint8_t* out, int outSize);
