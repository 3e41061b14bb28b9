#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "http/content_decoding.h"

// Whether the client can undo the coding (chunked aside): gzip, x-gzip, deflate, identity, in
// any case.
bool IsKnownCoding(std::string_view coding);

// Undoes the codings in reverse of the order listed, the one the server applied last first.
// When one of them is unknown the body is left as it came and the result is UnknownCoding; when
// one fails, it is named in `failedCoding`.
ContentDecodeResult UndoCodings(const std::vector<std::string>& codings, std::string& body,
                                std::size_t maxDecodedSize, std::string& failedCoding);
