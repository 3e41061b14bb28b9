#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class ContentDecodeResult { Decoded, UnknownCoding, Corrupt, TooLarge };

// Decodes one content coding (gzip, x-gzip, deflate zlib-wrapped or raw, identity) of `body` in place.
// The decoded body never grows past maxDecodedSize: a bomb ends as TooLarge. An unknown coding leaves
// the body untouched and returns UnknownCoding; a corrupt or too large body is left untouched as well.
ContentDecodeResult DecodeContentCoding(std::string_view coding, std::string& body, std::size_t maxDecodedSize);
