#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel {

// Compression of the bodies a desk and its server exchange. Either side compresses a
// body only above MinimumSize, with gzip, and a reply only when the request said it takes
// gzip; an uncompressed body is always understood. Bodies that carry a secret next to
// text the desk chose (the login, whose reply holds the session's token, and the calls
// whose arguments hold a password) are never compressed, so that their length over TLS
// tells nothing about the secret.
class BodyCompression
{
public:
    // Below one network packet, compression saves no round trip.
    static constexpr size_t MinimumSize = 1400;

    // Whether an Accept-Encoding header takes gzip ("gzip", "x-gzip", not with q=0).
    static bool acceptsGzip(std::string_view acceptEncoding);
    // Whether a body of `size` bytes is worth compressing.
    static bool worthCompressing(size_t size) { return size > MinimumSize; }
    // `plain` in the gzip format.
    static std::string gzip(std::string_view plain);
};

} // namespace tavrel
