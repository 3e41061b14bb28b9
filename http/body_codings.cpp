#include "http/body_codings.h"

#include <algorithm>

bool IsKnownCoding(std::string_view coding) {
    // The decoder is the one authority on the codings it knows; an empty body costs it nothing.
    std::string nothing;
    return DecodeContentCoding(coding, nothing, 0) != ContentDecodeResult::UnknownCoding;
}

ContentDecodeResult UndoCodings(const std::vector<std::string>& codings, std::string& body,
                                std::size_t maxDecodedSize, std::string& failedCoding) {
    if (!std::all_of(codings.begin(), codings.end(), IsKnownCoding))
        return ContentDecodeResult::UnknownCoding;
    for (auto coding = codings.rbegin(); coding != codings.rend(); ++coding) {
        const ContentDecodeResult result = DecodeContentCoding(*coding, body, maxDecodedSize);
        if (result != ContentDecodeResult::Decoded) {
            failedCoding = *coding;
            return result;
        }
    }
    return ContentDecodeResult::Decoded;
}
