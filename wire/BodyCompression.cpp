#include "BodyCompression.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <stdexcept>

namespace tavrel {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Whether the parameters of one coding ("q=0", "q=0.000") refuse it.
bool refused(std::string_view parameters)
{
    for (;;) {
        const size_t semicolon = parameters.find(';');
        const std::string_view parameter = trimmed(parameters.substr(0, semicolon));
        if (parameter.size() >= 2 && (parameter[0] == 'q' || parameter[0] == 'Q') &&
            parameter[1] == '=')
            return trimmed(parameter.substr(2)).find_first_not_of("0.") == std::string_view::npos;
        if (semicolon == std::string_view::npos)
            return false;
        parameters.remove_prefix(semicolon + 1);
    }
}

} // namespace

bool BodyCompression::acceptsGzip(std::string_view acceptEncoding)
{
    for (;;) {
        const size_t comma = acceptEncoding.find(',');
        const std::string_view coding = acceptEncoding.substr(0, comma);
        const size_t semicolon = coding.find(';');
        const std::string_view name = trimmed(coding.substr(0, semicolon));
        if ((sameLetters(name, "gzip") || sameLetters(name, "x-gzip")) &&
            (semicolon == std::string_view::npos || !refused(coding.substr(semicolon + 1))))
            return true;
        if (comma == std::string_view::npos)
            return false;
        acceptEncoding.remove_prefix(comma + 1);
    }
}

std::string BodyCompression::gzip(std::string_view plain)
{
    if (plain.size() > std::numeric_limits<uInt>::max())
        throw std::runtime_error("a body too large to compress");
    z_stream stream{};
    // 15 window bits, plus 16 for the gzip header and trailer.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        throw std::runtime_error("zlib could not start a gzip stream");
    std::string packed(deflateBound(&stream, uLong(plain.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = uInt(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = uInt(packed.size());
    const int done = deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (done != Z_STREAM_END)
        throw std::runtime_error("zlib could not compress a body");
    return packed;
}

} // namespace tavrel
